% Reference page: music entered only by item names, as a user types them in the command bar.
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as new_items.MUS.
% Each line is an item word with the letters and digits that choose its variant, then staff,
% position and height; what is not typed takes the word's default. In a command file the
% position is always typed (the command bar's default of 100 does not apply there).
%
% ---- staff 4: treble clef, two sharps, 3/4; quarters, eighths, dots, a triplet, rests,
%      a slur, a tie, marks, dynamics, a hairpin, an ottava and a first ending
STAFF 4
TREBLE 4
KSIG2 4 12
METER34 4 18
NOTE RHQ 4 24 5
NOTES RHE 4 32 7
NOTE RHE 4 38 8
STAC 4 38
NOTE RHQ 4 44 9
SLUR 4 24 12 12 44
BAR 4 52
NOTE RHH. 4 56 6
ACNT 4 56
MF 4 56
CRH 4 60 -2 -2 78
BAR 4 80
NOTEN RHE 4 84 4
NOTE RHE 4 90 5
RESTE 4 96
NOTE RHTE 4 102 8
NOTE RHTE 4 108 9
NOTE RHTE 4 114 10
BAR 4 120
8VA 4 124
NOTED RHH 4 126 11
TIE 4 127 12 12 143
NOTED RHQ 4 142 11
FER 4 142
REST RHQ 4 150
BAR 4 158
END 4 160 15 15 196
NOTE RHW 4 166 7
PP 4 166
BARRD 4 196
%
% ---- staff 2: bass clef, three flats, 6/8; dotted rhythms, a sixteenth, rests of every
%      length, a decrescendo, a trill and a lower ottava, a double bar and a final bar
STAFF 2
BASS 2
KSIG3F 2 12
METER68 2 22
NOTED RHQ. 2 30 9
NOTED RHE 2 40 8
NOTES RHS 2 46 7
NOTE RHS 2 50 6
BAR 2 56
NOTE RHQ 2 60 5
REST RHE 2 70
REST RHQ. 2 76
FF 2 60
DCH 2 64 -2 -2 86
BAR 2 90
REST RHH. 2 96
TRILL 2 96
BAR 2 114
8BA 2 118
NOTE RHQ. 2 120 1
NOTE RHE 2 132 2
NOTE RHQ 2 140 3
NOTEF RHE 2 150 4
BARD 2 156
REST RHW 2 162
BARRD 2 196
