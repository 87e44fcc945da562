REX fuzz.cmd
5 1 2
