IN 1

TR/C4/E/G/C5;
Q/Q/E/E;
N
S 1:2/A 4;
1 2;
3 4;
X
N
