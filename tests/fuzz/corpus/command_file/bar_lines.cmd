% Reference page: bar lines of every kind, a brace and a bracket.
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as bar_lines.MUS.
% Bar lines (code 14): P2 first staff, P3 x, P4 number of staves spanned (negative:
% invisible), P5 kind (0 single, 1 double, 2 final, 3 end repeat, 4 start repeat, 5 double
% repeat, 6 thick double repeat, 7 and 11 dashed, 8 brace, 9 bracket, 10 short strokes,
% -44 a multi-bar rest glyph at the bar), P6 width of a plain stroke, P13 extra gap of a
% double bar, P12 size of repeat dots.
%
% ---- a grand staff (staves 5 and 6) joined by a brace: the repeat and double bars
8 6 10
8 5 10
3 6 11 0 0                      % treble clef
3 5 11 0 1                      % bass clef
14 5 10 2 8                     % brace over both staves
14 5 10 2 0                     % the system's first line
14 5 34 2 0                     % single bar
14 5 54 2 1                     % double bar
14 5 74 2 3                     % end repeat
14 5 94 2 4                     % start repeat
14 5 120 2 5                    % end and start repeat
14 5 146 2 6                    % thick double repeat
14 5 170 2 7                    % dashed bar
14 5 194 2 2                    % final bar
%
% ---- three staves (1 to 3) joined by a bracket: the other kinds, one staff or all three
8 3 10
8 2 10
8 1 10
3 3 11 0 0                      % treble clef
3 2 11 0 2                      % alto clef
3 1 11 0 1                      % bass clef
14 1 10 3 9                     % bracket over the three staves
14 1 10 3 0                     % the system's first line
14 1 30 3 0 2                   % single bar, plain stroke of width 2
14 3 46 0 0                     % bars on one staff each
14 2 46 0 1
14 1 46 0 0
14 1 62 3 10                    % short strokes at the ends of the system
14 1 78 -3 0                    % invisible bar (shown dashed only when invisible items are)
14 1 94 3 11                    % dashed bar from the first to the last ledger position
14 3 110 0 -44                  % multi-bar rest glyph carried by a bar
14 1 130 3 1 0 0 0 0 0 0 0 1    % double bar, one unit wider
14 1 152 3 3 0 0 0 0 0 0 1.5    % end repeat with larger dots
14 1 172 2 4                    % start repeat on the lower two staves only
14 1 194 3 2                    % final bar
