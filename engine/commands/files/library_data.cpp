// Reading "mx.DAT", the library data the drawers take their circle points, font size factors
// and stroke font from, after the preferences that name the library folders.
#include "engine/commands/files/library_data.h"

#include <array>
#include <cstddef>
#include <string>

#include "engine/commands/start_up.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/files/file_units.h"
#include "engine/core/preferences.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace core {

namespace {

constexpr int kLibraryDataUnit = 8;

void clear_library_tables() {
    CirclePointTable.fill(0.0f);
    FontSizeFactors.fill(0.0f);
    StrokeFontTable.fill(0);
}

// The three tables from the file's bytes (the two leading words are not used).
void decode_library_data(const unsigned char* bytes) {
    std::size_t at = 8;
    for (int k = 1; k <= kCirclePointWords; ++k, at += 4)
        CirclePointTable(k) = get_le_f32(bytes + at);
    for (int k = 1; k <= kFontSizeFactorCount; ++k, at += 4)
        FontSizeFactors(k) = get_le_f32(bytes + at);
    for (int k = 1; k <= kStrokeFontEntries; ++k, at += 2)
        StrokeFontTable(k) = get_le_i16(bytes + at);
}

}  // namespace

// Contract: see the header. Writes render::PathPointList.count, the four paths, the symbol and
// guitar loaded flags, the preference settings (through read_preferences) and the three
// library tables. MacroUnit is the same afterwards as before.
bool load_library_data() {
    render::PathPointList.count = 1;
    const std::string program = ProgramFolder.trimmed();
    LibraryDataPath.set(program + "\\mxlib\\mx.DAT");
    if (!platform::file_exists(LibraryDataPath.c_text())) {
        report_missing_file(LibraryDataPath.c_text());
        return false;
    }
    SymbolDataPath.set(program + "\\mxlib\\CODE9.DAT");
    GuitarDataPath.set(program + "\\mxlib\\GUITAR.DAT");
    SymbolDataLoaded = 0;
    GuitarChordTables.loaded = 0;

    // The preferences: the user's own when saved, else the data folder's defaults; a missing
    // file is no error here (start-up has checked the defaults).
    PreferencesPath.set(program + "\\mxlib\\mxpref.dat");
    const std::string preferences = preferences_file_to_read(PreferencesPath.c_text());
    if (open_unit(kLibraryDataUnit, preferences, UnitStatus::Old, UnitForm::Text)) {
        const int32_t saved_unit = MacroUnit;
        MacroUnit = kLibraryDataUnit;
        read_preferences();
        MacroUnit = saved_unit;
        close_unit(kLibraryDataUnit);
    }

    // It is there: one that cannot be read whole is damaged, not missing.
    if (!open_unit(kLibraryDataUnit, LibraryDataPath.c_text(), UnitStatus::Old, UnitForm::Raw)) {
        report_damaged_file(platform::shown_path(LibraryDataPath.c_text()));
        clear_library_tables();
        return true;
    }
    std::array<unsigned char, kLibraryDataBytes> bytes{};
    const IoResult read = read_bytes(kLibraryDataUnit, bytes.data(), bytes.size());
    close_unit(kLibraryDataUnit);
    if (read != IoResult::Ok) {
        report_damaged_file(platform::shown_path(LibraryDataPath.c_text()));
        clear_library_tables();
        return true;
    }
    decode_library_data(bytes.data());
    return true;
}

}  // namespace core
