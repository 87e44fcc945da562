% Reference page: key signatures and meters on the treble, bass, alto and tenor clefs.
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as keys_meters.MUS.
% Key signatures (code 17): P3 x, P5 count (positive sharps, negative flats, 100 added in
% magnitude: naturals), P6 the clef in force (0 treble, 1 bass, 2 alto, 3 tenor).
% Meters (code 18): P3 x, P5 upper and P6 lower number (P5 0: P6 alone; 99 common time,
% 98 alla breve), P8 and P9 a second pair after a plus sign (P9 0: one lower number).
% Clefs (code 3): P5 kind (0 treble, 1 bass, 2 alto, 3 tenor), P4 moves it by steps (the
% C clef of the tenor clef stands on the fourth line, two steps up).
%
% ---- treble clef (staff 8)
8 8 0
3 8 1 0 0               % treble clef
17 8 14 0 7 0           % seven sharps
18 8 36 0 4 4           % 4/4
14 8 44 0 0             % bar line
17 8 45 0 -7 0          % seven flats
18 8 67 0 3 8           % 3/8
14 8 77 0 1             % double bar
17 8 78 0 -107 0        % seven naturals cancelling the flats
18 8 100 0 12 8         % 12/8
14 8 112 0 0            % bar line
17 8 113 0 2 0          % two sharps
18 8 122 0 99           % common time
14 8 131 0 0            % bar line
17 8 132 0 -3 0         % three flats
18 8 145 0 98           % alla breve
14 8 154 0 0            % bar line
18 8 157 0 3 8 0 2      % 3+2 over 8
14 8 176 0 0            % bar line
18 8 181 0 0 3          % a single 3
14 8 194 0 2            % final bar
%
% ---- bass clef (staff 6)
8 6 0
3 6 1 0 1               % bass clef
17 6 14 0 7 1           % seven sharps
18 6 36 0 2 2           % 2/2
14 6 44 0 0             % bar line
17 6 45 0 -7 1          % seven flats
18 6 67 0 6 8           % 6/8
14 6 77 0 1             % double bar
17 6 78 0 -107 1        % seven naturals cancelling the flats
18 6 100 0 9 8          % 9/8
14 6 112 0 0            % bar line
17 6 113 0 2 1          % two sharps
18 6 122 0 99           % common time
14 6 131 0 0            % bar line
17 6 132 0 -3 1         % three flats
18 6 145 0 98           % alla breve
14 6 154 0 0            % bar line
18 6 157 0 3 8 0 2      % 3+2 over 8
14 6 176 0 0            % bar line
18 6 181 0 0 3          % a single 3
14 6 194 0 2            % final bar
%
% ---- alto clef (staff 4)
8 4 0
3 4 1 0 2               % alto clef
17 4 14 0 7 2           % seven sharps
18 4 36 0 3 4           % 3/4
14 4 44 0 0             % bar line
17 4 45 0 -7 2          % seven flats
18 4 67 0 7 8           % 7/8
14 4 77 0 1             % double bar
17 4 78 0 -107 2        % seven naturals cancelling the flats
18 4 100 0 2 4          % 2/4
14 4 112 0 0            % bar line
17 4 113 0 2 2          % two sharps
18 4 122 0 99           % common time
14 4 131 0 0            % bar line
17 4 132 0 -3 2         % three flats
18 4 145 0 98           % alla breve
14 4 154 0 0            % bar line
18 4 157 0 3 8 0 2      % 3+2 over 8
14 4 176 0 0            % bar line
18 4 181 0 0 3          % a single 3
14 4 194 0 2            % final bar
%
% ---- tenor clef (staff 2)
8 2 0
3 2 1 2 3               % tenor clef
17 2 14 0 7 3           % seven sharps
18 2 36 0 3 2           % 3/2
14 2 44 0 0             % bar line
17 2 45 0 -7 3          % seven flats
18 2 67 0 6 4           % 6/4
14 2 77 0 1             % double bar
17 2 78 0 -107 3        % seven naturals cancelling the flats
18 2 100 0 15 16        % 15/16
14 2 112 0 0            % bar line
17 2 113 0 2 3          % two sharps
18 2 122 0 99           % common time
14 2 131 0 0            % bar line
17 2 132 0 -3 3         % three flats
18 2 145 0 98           % alla breve
14 2 154 0 0            % bar line
18 2 157 0 3 8 0 2      % 3+2 over 8
14 2 176 0 0            % bar line
18 2 181 0 0 3          % a single 3
14 2 194 0 2            % final bar
