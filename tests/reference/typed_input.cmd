% Reference page: two staves entered in the input mode, as their saved lines ("input.tmp")
% hold them: the command, the input space, then the notes, rhythms, marks, beams and slurs lines.
% Staff 1: staccato quarters C4 and E4, flagged eighths G4 and C5, an accent on C5.
% Staff 2: a bass clef, half, quarter, eighths, a dotted quarter.
IN 1                                                            
2.00   200.00   
TR/C4/E/G/C5;
Q/Q/E/E;
S 1:2/A 4;
;
;
IN 2                                                            
2.00   200.00   
BA/C3/D/E/F/G/A/B/C4;
H/Q/E/E/Q./E/Q/Q;
;
;
;
