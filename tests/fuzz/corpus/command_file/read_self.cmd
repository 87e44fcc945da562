5 1 2
RE fuzz.cmd
6 2 3
