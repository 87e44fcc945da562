% Reference page: beamed groups, partial beams and tuplets.
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as beams.MUS.
% Beamed notes carry no flags; P8 lengthens (or shortens) each stem in steps so that it meets
% the beam. Beams (code 6): P3 left x, P4 and P5 the positions the beam is measured from
% (it lies 7 steps beyond them), P6 right x, P7 tens 1 = stems up, units = number of beams,
% P8 tuplet figure, P10 partial beams (tens = spacings inside, units = count), P11 and P12
% their left and right ends (one end only: a short stub).
%
% ---- treble staff (staff 4)
8 4 0
3 4 1 0 0                       % treble clef
% four eighths, stems down, the beam rising 1.5 steps
1 4 12 8 20
1 4 20 9 20 0 0 0.5
1 4 28 10 20 0 0 1
1 4 36 11 20 0 0 1.5
6 4 12 8 9.5 36 1
% four sixteenths, stems up, a level double beam
1 4 46 3 10 0 0 3
1 4 54 5 10 0 0 1
1 4 62 4 10 0 0 2
1 4 70 6 10
6 4 46 6 6 70 12
% a triplet of eighths, stems up, figure 3
1 4 82 5 10
1 4 90 6 10
1 4 98 7 10
6 4 82 5 7 98 11 3
14 4 106 0 0                    % bar line
% an eighth and two sixteenths, stems down: one beam and a partial beam over the last two
1 4 112 9 20
1 4 124 8 20 0 0 0.2
1 4 132 7 20
6 4 112 9 7 132 1 0 0 11 124 132
% a dotted eighth and a sixteenth, stems up: a stub towards the sixteenth
1 4 142 6 10 0 0 0 10
1 4 160 7 10
6 4 142 6 7 160 11 0 0 11 0 160
% two eighths with accidentals, stems down
1 4 172 11 22
1 4 182 9 21 0 0 -0.5
6 4 172 11 9.5 182 1
14 4 194 0 2                    % final bar
%
% ---- bass staff (staff 2)
8 2 0
3 2 1 0 1                       % bass clef
% four thirty-seconds, stems up, three beams
1 2 12 2 10 0 0 1
1 2 18 3 10 0 0 0.5
1 2 24 4 10
1 2 30 5 10 0 0 -0.5
6 2 12 3 4.5 30 13
% a quintuplet of sixteenths, stems down, figure 5
1 2 42 13 20
1 2 50 12 20 0 0 -0.25
1 2 58 11 20 0 0 -0.5
1 2 66 10 20 0 0 -0.75
1 2 74 9 20 0 0 -1
6 2 42 13 10 74 2 5
% four eighths with accidentals, stems down
1 2 86 8 21
1 2 96 10 20 0 0 1.667
1 2 106 9 22 0 0 0.333
1 2 116 11 20 0 0 2
6 2 86 8 9 116 1
14 2 124 0 0                    % bar line
% a triplet of sixteenths, stems up
1 2 130 4 10
1 2 137 5 10
1 2 144 6 10
6 2 130 4 6 144 12 3
1 2 160 5 10 1                  % half note
14 2 194 0 2                    % final bar
