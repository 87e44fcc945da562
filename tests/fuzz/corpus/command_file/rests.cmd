% Reference page: rests of every kind.
% Read by the READ command ("RE name"); make_reference_pages.sh saves it as rests.MUS.
% Rests (code 2): P3 x, P4 offset in steps from the kind's own height (100 added: small),
% P5 kind (-3 breve, -2 whole, -1 half, 0 quarter, 1 eighth, 2.. shorter; -5 multi-bar rest
% to P9 with the count P8; -6 -7 -8 two-, four- and eight-bar signs; -11..-19 groups of them;
% 100 added: in brackets), P6 dots (-1 invisible), P8 count above a multi-bar rest (-1 a
% fermata, -3 the general-pause sign), P9 right end (-1: centred between the bar lines).
%
% ---- staff 6: every value from the breve rest to the sixty-fourth, then dotted, small,
%      bracketed and invisible rests
8 6 0
3 6 1 0 0                       % treble clef
2 6 14 0 -3                     % breve rest
2 6 26 0 -2                     % whole rest
2 6 38 0 -1                     % half rest
2 6 50 0 0                      % quarter rest
2 6 60 0 1                      % eighth rest
2 6 70 0 2                      % sixteenth rest
2 6 80 0 3                      % thirty-second rest
2 6 92 0 4                      % sixty-fourth rest
14 6 104 0 0
2 6 110 0 -1 1                  % dotted half rest
2 6 124 0 0 1                   % dotted quarter rest
2 6 136 0 1 2                   % double-dotted eighth rest
2 6 150 0 2 1                   % dotted sixteenth rest
2 6 162 100 0                   % small quarter rest
2 6 172 0 102                   % sixteenth rest in brackets
2 6 186 0 0 -1                  % invisible quarter rest (drawn only when shown)
14 6 194 0 2
%
% ---- staff 4: whole and half rests off the staff, with their ledger strokes, and the signs
%      of long rests
8 4 0
3 4 1 0 0                       % treble clef
2 4 14 4 -2                     % whole rest above the staff (ledger stroke)
2 4 26 -8 -2                    % whole rest below the staff (ledger stroke)
2 4 38 6 -1                     % half rest above the staff (ledger stroke)
2 4 50 -6 -1                    % half rest below the staff (ledger stroke)
2 4 62 2 -2                     % whole rest one line higher (inside: no stroke)
14 4 72 0 0
2 4 78 0 -6                     % two bars
2 4 90 0 -7                     % four bars
2 4 102 0 -8                    % eight bars
2 4 118 0 -13                   % three bars
2 4 138 0 -15                   % five bars
2 4 160 0 -17                   % seven bars
2 4 182 0 -19                   % nine bars
14 4 194 0 2
%
% ---- staff 2: multi-bar rests with their counts, a centred whole rest, the multi-bar glyphs
8 2 0
3 2 1 0 1                       % bass clef
14 2 10 0 0
2 2 16 0 -5 0 0 12 54           % twelve bars
14 2 60 0 0
2 2 66 0 -5 0 0 -1 104          % multi-bar rest with a fermata
14 2 110 0 0
2 2 120 0 -2 0 0 0 -1           % whole rest centred in its bar
14 2 150 0 0
2 2 156 0 -5 0 0 -3 176 0 0 0 0 0 0 -14   % general pause, its words moved over the middle (P16)
14 2 182 0 0
2 2 186 0 -4                    % multi-bar rest glyph
14 2 196 0 2
