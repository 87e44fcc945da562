% Font prolog of the PostScript output, copied in once, before the first font is used.
% It begins the dictionary fmdict, which the document's trailer ends when fonts were used,
% and then saves, so that the trailer's restore undoes everything the text has defined.
%   acc   the text encoding: Windows-1252 (a byte of a string shows the Windows-1252
%         character of that code), with Lslash 129, lslash 141 and dotlessi 143 in places
%         that code page leaves free; quoteright 39, quoteleft 96 and hyphen 45 as in
%         PostScript's own Latin-1 encoding.
%   ReE   /New /Base acc ReE: defines the font New as a copy of Base with the encoding acc.
%         A font whose encoding is not a Latin text encoding (Symbol, dingbats: code 65 is
%         not the letter A) keeps its own encoding.
/fmdict 10 dict def fmdict begin
/acc ISOLatin1Encoding 256 array copy def
acc 45 /hyphen put
acc 128 [
 /Euro /Lslash /quotesinglbase /florin /quotedblbase /ellipsis /dagger /daggerdbl
 /circumflex /perthousand /Scaron /guilsinglleft /OE /lslash /Zcaron /dotlessi
 /.notdef /quoteleft /quoteright /quotedblleft /quotedblright /bullet /endash /emdash
 /tilde /trademark /scaron /guilsinglright /oe /.notdef /zcaron /Ydieresis
] putinterval
/ReE {
 exch findfont dup length 1 add dict begin
 { 1 index /FID ne { def } { pop pop } ifelse } forall
 currentdict /Encoding get dup length 65 gt { 65 get /A eq } { pop false } ifelse
 { /Encoding exch def } { pop } ifelse
 /FontName 1 index def
 currentdict end definefont pop
} bind def
save
