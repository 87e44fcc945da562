// The interpreter with documents as real files in the test's own folder (the current folder
// the interpreter fixture sets up): names there, documents written from records, bytes read.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/core/document_bytes.h"
#include "tests/core/interpreter_fixture.h"

class DocumentFolderTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        base_ = std::filesystem::current_path();
    }
    std::string path(const std::string& name) const { return (base_ / name).string(); }
    // A document of the records, with its trailer.
    void write_doc(const std::string& name, const std::vector<float>& records) {
        write_bytes(base_ / name, encode(with_trailer(records)));
    }
    Bytes bytes(const std::string& name) const { return read_file_bytes(base_ / name); }
    // The front-end's save of the page under a name.
    void front_end_save(const std::string& name) {
        core::MessageLine.set("~~W");
        core::FrontEndCommandBuffer.set(name);
        call();
    }

    std::filesystem::path base_;
};
