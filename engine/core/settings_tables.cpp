#include "engine/core/settings_tables.h"

namespace core {

FixedText<128> ProgramFolder;
int32_t ProgramFolderLength = 26;
FixedText<512> PreferencesPath;
FixedText<512> LibraryDataPath;
FixedText<512> SymbolDataPath;
FixedText<512> GuitarDataPath;
FixedText<512> LibraryFolder;
int32_t LibraryFolderLength = 0;
FixedText<512> FontFolder;
int32_t FontFolderLength = 0;
FixedText<128> TempDirPrefix;
int32_t EngineWaitLevel = -1;
int32_t InputKeyWord = 0;
int32_t EngineKeyWord = 0;
int32_t ApplicationClosingWord = 0;
int32_t RunFailedWord = 0;
FixedText<kOutputTargetChars + 1> OutputTargetName;
FixedText<24> CircleRadiusText;
int32_t CircleVectorIncrement = 0;

Array1<float, kCirclePointWords> CirclePointTable;
Array1<float, kFontSizeFactorCount> FontSizeFactors;
Array1<int16_t, kStrokeFontEntries> StrokeFontTable;
int32_t SymbolDataLoaded = 0;

GuitarChordTablesRecord GuitarChordTables;

float BeamTilt = 0.1f;
int32_t BeamThickness = 7;
int32_t WholeRestFont = 0;
float LyricDashSize = 1.0f;
int32_t BaseMidiKey = 60;
int32_t ProcessingMode = 0;
int32_t PrintSettingsWord = 0;
int32_t TiePosition = 0;
float DynamicsOffset = 0.0f;
float SlurThickness = 1.0f;
float SpaceAfterClef = 1.8f;
float SpaceAfterBar = 2.5f;
float SpaceAfterKeySig = 2.8f;
float SpaceAfterMeter = 3.7f;
int32_t LyricDashCount = 1;
float PreferencesVersion = 1.0f;
int32_t PostScriptScreenFonts = 0;
int32_t ArrowKeyMode = 0;
int32_t FullWidthInput = 0;
Array1<float, 3> ArrowStepWords;

int32_t FirstTimeSetUpDone = 0;

int guitar_chord_slot(int root, int variant, int group) {
    if (root < 1 || root > kGuitarRoots) report_index_defect("guitar root", root, 1, kGuitarRoots);
    if (variant < 0 || variant >= kGuitarVariants)
        report_index_defect("guitar variant", variant, 0, kGuitarVariants - 1);
    if (group < 1 || group > kGuitarGroups)
        report_index_defect("guitar group", group, 1, kGuitarGroups);
    return ((root - 1) * kGuitarVariants + variant) * kGuitarGroups + group;
}

int32_t PageFormatIndex = 0;

void reset_settings_tables() {
    PageFormatIndex = 0;
    ProgramFolder.set("C:\\program files\\melandrix");
    ProgramFolderLength = 26;
    PreferencesPath.set("C:\\program files\\melandrix\\mxlib\\mxpref.dat");
    LibraryDataPath.blank();
    SymbolDataPath.blank();
    GuitarDataPath.blank();
    LibraryFolder.set("C:\\program files\\melandrix\\mxlib\\");
    LibraryFolderLength = LibraryFolder.trimmed_length();
    FontFolder.set("C:\\program files\\melandrix\\mxlib\\fontlib\\");
    FontFolderLength = FontFolder.trimmed_length();
    TempDirPrefix.set("C:\\!TMP\\");
    CircleRadiusText.blank();
    CircleVectorIncrement = 0;
    EngineWaitLevel = -1;
    InputKeyWord = 0;
    EngineKeyWord = 0;
    ApplicationClosingWord = 0;
    RunFailedWord = 0;
    OutputTargetName.blank();

    CirclePointTable.fill(0.0f);
    FontSizeFactors.fill(0.0f);
    StrokeFontTable.fill(0);
    SymbolDataLoaded = 0;

    GuitarChordTables.frets.fill(0.0f);
    GuitarChordTables.marks.fill(0);
    GuitarChordTables.sizes.fill(0);
    GuitarChordTables.loaded = 0;

    BeamTilt = 0.1f;
    BeamThickness = 7;
    WholeRestFont = 0;
    LyricDashSize = 1.0f;
    BaseMidiKey = 60;
    ProcessingMode = 0;
    PrintSettingsWord = 0;
    TiePosition = 0;
    DynamicsOffset = 0.0f;
    SlurThickness = 1.0f;
    SpaceAfterClef = 1.8f;
    SpaceAfterBar = 2.5f;
    SpaceAfterKeySig = 2.8f;
    SpaceAfterMeter = 3.7f;
    LyricDashCount = 1;
    PreferencesVersion = 1.0f;
    PostScriptScreenFonts = 0;
    ArrowKeyMode = 0;
    FullWidthInput = 0;
    ArrowStepWords(1) = 2000.0f;
    ArrowStepWords(2) = 0.1f;
    ArrowStepWords(3) = 0.25f;

    FirstTimeSetUpDone = 0;
}

}  // namespace core
