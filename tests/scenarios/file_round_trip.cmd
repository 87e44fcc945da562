EI
8 1 0
1 1 10 5
SA C:\!TMP\demo.mus
5 1 2
RS
Y
G C:\!TMP\demo.mus
5 1 3
G C:\!TMP\demo.mus
N
