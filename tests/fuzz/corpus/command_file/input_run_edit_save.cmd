IN 0
10 150
C4/D/;
Q;
Y
G
E
E4/F/;
H/H;
N
G
S
mine.txt
Y

E4/;
H;
N
G
A
N
RE mine.txt
