// The repair pass of the document readers: what a file holds becomes records the store can
// take, and the trailer gives the level and the metric flag.
#include <algorithm>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_files.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_values.h"
#include "platform/paths.h"

namespace core {

namespace {

constexpr float kTextItemCode = 16.0f;  // text items keep every parameter
constexpr int kMessageNameColumn = 35;

// The loader keeps codes 1..18 except 13 (temporary marks); a code that is not a number at
// all goes too.
bool dropped_code(float code) { return !(code >= 1.0f) || code >= 19.0f || code == 13.0f; }

void show_input_data_error(std::string_view name) {
    std::string text = "*** Input data error.    ***";
    text.resize(kMessageNameColumn - 1, ' ');
    text += platform::shown_path(name);  // the work folder's real path, not its program name
    // The records after the damage are left out: the document was not loaded as it stands.
    report_failure(text);
}

}  // namespace

// Contract: reads in[0..n_words-1] (records, then a trailer of L = 3, 4 or 5 words ending in
// the end marker) and writes the repaired records to words(1..info.count); info also gets the
// trailer's metric flag and level. The pass looks at the records that start before the
// trailer (and before the one stray word that 5-word-trailer files hold), so a word that
// belongs to no record is dropped. BadFormat when the end marker or L is wrong; TooLarge when
// the repaired records do not fit ItemStoreCapacity. A damaged record (n < 2, or longer than
// the words left before the trailer) shows the input-data message and ends the records: those
// before it are kept and the read succeeds, unless damage or dropped codes leave no record at
// all (BadFormat). A record whose numbers the store never holds (not finite, or a staff outside
// 0..256; characters apart) is left out as the dropped codes are, except in a work copy.
DocumentStatus repair_document_words(const float* in, int32_t n_words, DocumentWords& words,
                                     DocumentReadInfo& info, std::string_view name,
                                     bool work_copy) {
    auto at = [in](int32_t i) { return in[i - 1]; };  // words of the file, from 1
    info.count = 0;
    info.metric_flag = 0;
    info.level = 0;
    info.has_level = false;
    info.input_error = false;
    info.repaired = 0;
    info.dropped = 0;
    info.trailer_words = 0;
    info.failure.clear();
    auto refuse = [&info](DocumentStatus status, std::string_view cause) {
        info.failure = cause;
        return status;
    };
    if (n_words < 3 || at(n_words) != kDocumentEndMarker)
        return refuse(DocumentStatus::BadFormat, kNotADocumentCause);
    const int32_t trailer = int_of(at(n_words - 1));
    if (trailer < 3 || trailer > 5 || trailer > n_words)
        return refuse(DocumentStatus::BadFormat, kNotADocumentCause);

    const int32_t end = n_words - trailer;  // the last word that may belong to a record
    const int32_t room = std::min<int32_t>(ItemStoreCapacity, DocumentWords::size());
    int32_t out = 0;
    int32_t i = 1;
    while (i < end) {
        const int32_t n = int_of(at(i));
        if (n < 2 || n > end - i) {
            info.input_error = true;
            show_input_data_error(name);
            break;
        }
        const float code = at(i + 1);
        const int32_t next = i + n + 1;
        if (dropped_code(code)) {  // also for a long record: a cut does not save a dropped code
            ++info.repaired;
            ++info.dropped;
            i = next;
            continue;
        }
        int32_t keep = n;
        if (n > kLongestRecord && code != kTextItemCode) {
            // Cut after the last nonzero parameter among P1..P45, but never below 3: a shorter
            // record would break the store's rule that every record has P1..P3.
            keep = kLongestRecord;
            while (keep > kShortestRecord && at(i + keep) == 0.0f) --keep;
        }
        if (!work_copy && !record_numbers_sound(in + i, keep)) {
            ++info.repaired;
            ++info.dropped;
            i = next;
            continue;
        }
        const int32_t params = std::max(keep, kShortestRecord);  // n = 2 grows to 3 (P3 = 0)
        if (params + 1 > room - out) return refuse(DocumentStatus::TooLarge, kCountOutOfRangeCause);
        if (params != n) ++info.repaired;
        words(out + 1) = keep == n && n >= kShortestRecord ? at(i) : static_cast<float>(params);
        for (int32_t j = 1; j <= params; ++j) words(out + 1 + j) = j <= keep ? at(i + j) : 0.0f;
        out += params + 1;
        i = next;
    }

    // Damage that leaves not one record would load as an empty page under the file's name: the
    // file is refused instead, like one that cannot be read, and the page stays as it was. A file
    // that holds no records at all is an empty page and loads.
    if (out == 0 && (info.input_error || info.dropped > 0))
        return refuse(DocumentStatus::BadFormat, kNoRecordCause);

    info.count = out;
    info.trailer_words = trailer;
    info.metric_flag = int_of(at(n_words - 2));
    if (trailer > 3) {
        info.level = int_of(at(n_words - 3));
        info.has_level = true;
    }
    return DocumentStatus::Ok;
}

}  // namespace core
