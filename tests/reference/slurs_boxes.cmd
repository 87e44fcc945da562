% Reference page: slurs, ties and brackets; boxes, circles, arcs, arrows and a ruled figure;
% two guitar chord grids and an EPS item (figure.eps beside this script; the name it asks for
% is the line after it).
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as slurs_boxes.MUS.
% Code 5: P3 left x, P4 and P5 the end heights, P6 right x, P7 the arch in steps (negative
% bends down), P8 end offsets or 1..9 a bracket, P9 the arch exponent (99 a hat) or the
% bracket's number, P11 dashes (> 0) or dots (< 0), P12 1 left half, 2 right half, -1 S shape,
% P16 a tuplet figure. Code 12: P5 0 box, 1 circle or arc, 2 arrow, 10 ruled figure, below 0
% a chord grid; P6 and P7 width and height, P8 thickness, P10 slant or start angle, P11 end
% angle, P12 step (negative dashed), P13 filled.
%
% ---- staff 8: slurs
8 8 0
3 8 1 0 0                          % treble clef
5 8 12 5 5 32 2                    % a slur over the staff
5 8 38 3 3 58 -2                   % bent down
5 8 64 5 5 84 2 0 0 0 4            % dashed
5 8 90 5 5 110 2 0 0 0 -1          % dotted
5 8 116 5 7 136 2 0 0 0 0 -1       % S shape, rising
5 8 142 5 5 156 2 0 0 0 0 1        % left half
5 8 160 5 5 174 2 0 0 0 0 2        % right half
%
% ---- staff 6: ties, a hat, endings and tuplets
8 6 0
3 6 1 0 0
5 6 12 3 3 24 1 0.5                % a tie
5 6 30 9 9 46 2 0 99               % a hat
5 6 54 10 10 90 2 1 1              % first ending
5 6 96 10 10 130 2 2 2             % second ending
5 6 138 9 9 156 2 3 3              % tuplet bracket with its 3
5 6 162 8 8 182 2 0 0 0 0 0 0 0 0 3   % a slur with a triplet figure
%
% ---- staff 4: boxes, circles and arcs
8 4 0
12 4 12 4 0 2 1                    % a box
12 4 28 4 0 2 2 3                  % a square with a thick outline
12 4 44 4 0 2 1 0 0 1              % a slanted box
12 4 60 4 0 1 1 0 0 0 0 0 1        % a filled box
12 4 76 4 1 1.5                    % a circle
12 4 92 4 1 2 1                    % an ellipse
12 4 108 4 1 1.5 0 0 0 0 180       % an arc
12 4 124 4 1 1.5 0 0 0 0 0 -10     % a dashed circle
12 4 140 4 2 3 0 0 0 1             % a straight arrow
12 4 160 2 2 1 0 0 0 0 180         % a curved arrow
12 4 182 4 10 1 4 1111 101         % a ruled figure of three lines with dots
%
% ---- staff 2: chord grids and an EPS figure
8 2 0
12 2 20 2 -4 1 10 1 0              % C major
12 2 60 2 -4 1 60 2 0              % A minor
15 2 120 0 0.4 0.4 0 0 0 0 0 0 1   % an EPS figure: its name is asked, and read from the next line
figure.eps
