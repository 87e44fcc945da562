% Reference page: lines and hairpins.
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as lines.MUS.
% Lines (code 4): P3, P4 start (x, position), P5 end position (999: a hairpin), P6 end x,
% P7 kind (0 straight, 1..99 dashed, -1 trill line, -2 wave line, -3 zigzag, -4 dots,
% -5 vertical, 100 polyline; for hairpins the opening in steps: positive crescendo,
% 0 = 2.3, -1 = -2.3 decrescendo), P8 dash (or size), P9 gap (or height), P10 thickness,
% P11 start hook, P12 end hook (101.5: an arrowhead 1.5 steps long; 2NN: a hook NN steps
% the other way or a crossbar), P13 rotation, P14 and P15 hairpin fractions.
%
% ---- staff 6: octave lines, trill lines, dynamics hairpins below
8 6 0
3 6 1 0 0                       % treble clef
1 6 14 8 20                     % C5
1 6 30 10 20                    % E5
1 6 46 12 20                    % G5
1 6 62 14 20                    % B5
9 6 13 15 45                    % the word "8va"
4 6 19 16 16 68 1 0.5 0.5 0 0 -2    % dashed octave line with a hook down at its end
1 6 80 9 20 0 0 0 0 0 20        % D5 with a trill sign
4 6 85 13 13 120 -1             % trill line
1 6 130 7 20                    % B4
1 6 150 9 20                    % D5
4 6 136 8 10 148 0              % straight line between the two notes (glissando)
1 6 166 5 10                    % G4
1 6 186 11 20                   % F5
4 6 171 6 6 184 -2 0.6 0.6 0 0 0 -19   % wave line from G4 up to F5 (turned up by 19 degrees)
4 6 14 -4 999 62 0              % crescendo under the first four notes
4 6 80 -4 999 124 -1            % decrescendo
4 6 130 -4 999 160 2 0 0 0 1    % dashed crescendo
4 6 166 -4 999 192 -3 0 0 0 0 0 0 0.25  % decrescendo whose tip quarter is left open
14 6 76 0 0
14 6 126 0 0
14 6 194 0 2
%
% ---- staff 4: straight lines with hooks and arrows, dashed, thick and polylines
8 4 0
3 4 1 0 0                       % treble clef
4 4 14 14 14 48 0 0 0 0 -1.5 -1.5   % bracket line: hooks down at both ends
4 4 54 14 14 90 0 0 0 0 0 101.5 % line ending in an arrowhead
4 4 96 14 12 130 0 0 0 0 203 202    % reversed hook at the start, hook at the end
4 4 14 -3 -3 48 0 0 0 2         % thick level line
4 4 54 -3 -3 90 3 1 0.5         % dashed line, short gaps
4 4 96 -3 -5 130 1              % slanted dashed line
4 4 136 -3 -3 190 100 146 -1 156 -7 166 -2 176 -8  % polyline through four points
1 4 140 5 10                    % G4
1 4 140 7 10                    % B4
1 4 140 9 10                    % D5 (a chord)
4 4 137 3 11 0 -2 0.7 0.7       % vertical wave line: an arpeggio before the chord
1 4 160 4 10                    % F4
1 4 160 8 10                    % C5
4 4 157 3 9 0 -5 0 0 0 1 1      % vertical line hooked at both ends: no arpeggio
1 4 180 6 10 1                  % A4 half note
14 4 194 0 2
%
% ---- staff 2: zigzag, dots, dashed verticals and a thickened zigzag
8 2 0
3 2 1 0 1                       % bass clef
4 2 14 13 13 60 -3              % zigzag line
4 2 66 13 13 110 -3 1 1 0 1     % zigzag with filled falling strokes
4 2 116 13 13 160 -4 0.5 1.5    % row of dots
4 2 20 0 10 0 1 1 1             % vertical dashed line
4 2 40 0 10 0 1 0.5 0.5         % vertical dashed line, shorter dashes
4 2 60 -2 -2 100 -2 1 1 0 0 1   % wave line with an arrowhead
4 2 110 -2 -2 160 -1 0 0 0 0 1  % trill line with its end piece
14 2 194 0 2
