// Checked 1-based arrays and blank-padded fixed texts: the two shapes every engine table has.
//
// An index out of range is a defect of the engine, never of the user: the checked access throws
// EngineDefect, which the interpreter catches at its entry, reports as a message and ends the
// command with. Nothing is ever written outside an array.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace core {

// Thrown by every checked access; carries a readable description of the fault.
class EngineDefect : public std::runtime_error {
public:
    explicit EngineDefect(const std::string& what) : std::runtime_error(what) {}
};

// Throws EngineDefect describing an index outside lo..hi.
[[noreturn]] void report_index_defect(const char* what, long index, long lo, long hi);

// A fixed array of N elements indexed 1..N; operator() is checked.
template <typename T, int N>
class Array1 {
public:
    static constexpr int kSize = N;

    T& operator()(int i) {
        if (i < 1 || i > N) report_index_defect("array", i, 1, N);
        return data_[i - 1];
    }
    const T& operator()(int i) const {
        if (i < 1 || i > N) report_index_defect("array", i, 1, N);
        return data_[i - 1];
    }
    // Address of element i for block operations; i may be N + 1 (one past the end, for an
    // empty block at the end) but no further.
    T* at(int i) {
        if (i < 1 || i > N + 1) report_index_defect("array block", i, 1, N + 1);
        return data_ + (i - 1);
    }
    const T* at(int i) const {
        if (i < 1 || i > N + 1) report_index_defect("array block", i, 1, N + 1);
        return data_ + (i - 1);
    }
    // Checks that elements i .. i + n - 1 lie inside the array (n < 1 is always fine).
    void check_range(int i, int n) const {
        if (n < 1) return;
        if (i < 1 || i > N || n > N - i + 1) report_index_defect("array range", i + n - 1, 1, N);
    }
    T* data() { return data_; }
    const T* data() const { return data_; }
    static constexpr int size() { return N; }
    void fill(const T& v) { std::fill(data_, data_ + N, v); }

private:
    T data_[N]{};
};

// A fixed array indexed Lo..Hi (for the few tables that have an element 0); checked like Array1.
template <typename T, int Lo, int Hi>
class ArrayRange {
public:
    T& operator()(int i) {
        if (i < Lo || i > Hi) report_index_defect("array", i, Lo, Hi);
        return data_[i - Lo];
    }
    const T& operator()(int i) const {
        if (i < Lo || i > Hi) report_index_defect("array", i, Lo, Hi);
        return data_[i - Lo];
    }
    static constexpr int lower() { return Lo; }
    static constexpr int upper() { return Hi; }
    void fill(const T& v) { std::fill(data_, data_ + (Hi - Lo + 1), v); }

private:
    T data_[Hi - Lo + 1]{};
};

// A blank-padded text of exactly N characters indexed 1..N. Equality with other texts ignores
// trailing blanks, as the engine's comparisons always have.
template <int N>
class FixedText {
public:
    static constexpr int kSize = N;

    FixedText() { blank(); }
    FixedText(std::string_view s) { set(s); }  // NOLINT: texts convert from literals freely

    char& operator()(int i) {
        if (i < 1 || i > N) report_index_defect("text", i, 1, N);
        return c_[i - 1];
    }
    char operator()(int i) const {
        if (i < 1 || i > N) report_index_defect("text", i, 1, N);
        return c_[i - 1];
    }
    // Unsigned code of character i (0..255).
    int code(int i) const { return static_cast<unsigned char>((*this)(i)); }

    void blank() { std::fill(c_, c_ + N, ' '); }
    // The whole text becomes s, cut at N characters, padded with blanks.
    void set(std::string_view s) {
        const std::size_t n = std::min<std::size_t>(s.size(), N);
        std::copy(s.data(), s.data() + n, c_);
        std::fill(c_ + n, c_ + N, ' ');
    }
    // Characters i..j become s, cut or blank-padded to fit; j < i writes nothing.
    void put(int i, int j, std::string_view s) {
        if (j < i) return;
        check(i, j);
        const std::size_t len = static_cast<std::size_t>(j - i + 1);
        const std::size_t n = std::min(len, s.size());
        std::copy(s.data(), s.data() + n, c_ + (i - 1));
        std::fill(c_ + (i - 1) + n, c_ + j, ' ');
    }
    // Characters i..j as a view (empty when j < i).
    std::string_view sub(int i, int j) const {
        if (j < i) return {};
        check(i, j);
        return std::string_view(c_ + (i - 1), static_cast<std::size_t>(j - i + 1));
    }
    std::string_view view() const { return std::string_view(c_, N); }
    // Length without trailing blanks.
    int trimmed_length() const {
        int n = N;
        while (n > 0 && c_[n - 1] == ' ') --n;
        return n;
    }
    std::string trimmed() const { return std::string(c_, static_cast<std::size_t>(trimmed_length())); }
    // The text up to its first NUL (or all N), without trailing blanks.
    std::string c_text() const {
        std::size_t n = 0;
        while (n < N && c_[n] != '\0') ++n;
        while (n > 0 && c_[n - 1] == ' ') --n;
        return std::string(c_, n);
    }
    bool is_blank() const { return trimmed_length() == 0; }
    bool starts_with(std::string_view s) const { return view().substr(0, s.size()) == s; }
    bool equals(std::string_view s) const {
        while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
        return s.size() <= N && view().substr(0, trimmed_length()) == s;
    }
    template <int M>
    bool operator==(const FixedText<M>& o) const {
        return equals(o.view().substr(0, o.trimmed_length()));
    }
    bool operator==(std::string_view s) const { return equals(s); }

    char* data() { return c_; }
    const char* data() const { return c_; }
    static constexpr int size() { return N; }

private:
    void check(int i, int j) const {
        if (i < 1 || i > N) report_index_defect("text", i, 1, N);
        if (j > N) report_index_defect("text", j, 1, N);
    }
    char c_[N];
};

}  // namespace core
