% Reference page: scales with accidentals, ledger lines, flags and dots.
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as scale.MUS.
% One item per line: code, staff, then the item's parameters P3, P4, ...
% Notes (code 1): P3 x, P4 staff position (lines at 3 5 7 9 11), P5 tens = stem (1 up,
% 2 down, 0 none) and units = accidental (1 flat, 2 sharp, 3 natural, 4 double flat,
% 5 double sharp), P6 head (0 black, 1 half, 2 whole), P9 units = flags, tens = dots.
%
% ---- treble staff (staff 4): C4 up to C6, then longer notes at both ends
8 4 0
3 4 1 0 0               % treble clef
1 4 12 1 10             % C4, one ledger line through the head
1 4 20 2 12             % D4 sharp, below the staff: no ledger line
1 4 28 3 11             % E4 flat
1 4 36 4 12             % F4 sharp
1 4 44 5 13             % G4 natural
1 4 52 6 11             % A4 flat
1 4 60 7 21             % B4 flat, stem down from the middle line
1 4 68 8 22             % C5 sharp
1 4 76 9 23             % D5 natural
1 4 84 10 21            % E5 flat
1 4 92 11 25            % F5 double sharp
1 4 100 12 24           % G5 double flat
1 4 108 13 20           % A5, one ledger line
1 4 116 14 21           % B5 flat, ledger line below the head
1 4 124 15 20           % C6, two ledger lines
14 4 132 0 0            % bar line
1 4 138 16 20 1         % D6 half note
1 4 150 17 0 2          % E6 whole note, three ledger lines
1 4 164 0 10 1 0 0 10   % B3 dotted half, ledger line above the head
1 4 178 -1 1 2          % A3 flat whole note, two ledger lines
14 4 192 0 2            % final bar
%
% ---- bass staff (staff 2): C4 down to A1 in mixed values
8 2 0
3 2 1 0 1               % bass clef
1 2 12 13 20 0 0 0 1    % C4 eighth, ledger line
1 2 20 12 21 0 0 0 1    % B3 flat eighth
1 2 28 11 20 0 0 0 10   % A3 dotted quarter (dot in the space above)
1 2 38 10 22 0 0 0 2    % G3 sharp sixteenth
1 2 46 9 20 0 0 0 11    % F3 dotted eighth
1 2 56 8 23 0 0 0 2     % E3 natural sixteenth
1 2 64 7 20 0 0 0 20    % D3 double-dotted quarter
14 2 76 0 0             % bar line
1 2 82 6 10 0 0 0 3     % C3 thirty-second, stem up
1 2 92 5 11 0 0 0 1     % B2 flat eighth
1 2 101 4 12            % A2 sharp quarter
1 2 106 3 10 1          % G2 half note
1 2 118 2 12 1 0 0 10   % F2 sharp dotted half
1 2 132 1 11 0 0 0 1    % E2 flat eighth, ledger line
1 2 140 0 13 0 0 0 2    % D2 natural sixteenth, ledger line above
1 2 148 -1 10           % C2 quarter, two ledger lines
1 2 158 -2 4 2          % B1 double flat whole note
1 2 174 -3 0 2 0 0 10   % A1 dotted whole note, three ledger lines
14 2 192 0 2            % final bar
