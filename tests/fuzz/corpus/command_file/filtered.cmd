% comment
%%
skipped
%%
8 1 0
     five blanks
%$ pause
5 1 2
GP
*
5 1 3
