// Test helper: the records of a saved document, read by the file reader alone (not through the
// page), each as the line of its parameters.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/files/document_files.h"
#include "tests/support/store_records.h"

// Empty when the file is missing or does not read.
inline std::vector<std::string> saved_records(const std::filesystem::path& path) {
    auto words = std::make_unique<core::DocumentWords>();
    core::DocumentReadInfo info;
    std::vector<std::string> lines;
    if (!std::filesystem::exists(path) ||
        core::read_document(path.string(), *words, info) != core::DocumentStatus::Ok) {
        return lines;
    }
    for (int32_t at = 1; at < info.count && (*words)(at) > 0.0f;
         at += static_cast<int32_t>((*words)(at)) + 1) {
        lines.push_back(record_line(*words, at));
    }
    return lines;
}
