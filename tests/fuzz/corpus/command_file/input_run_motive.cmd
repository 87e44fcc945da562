IN 1

A[C4/D/E]/@A/@-A/@$A/@A2/R;
B[Q/E/E]/@B/@B.5;
N
;
;
;
X
N
IN 2

@A/@B;
@B;
N
G
X
N
