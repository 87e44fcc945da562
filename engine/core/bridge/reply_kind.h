// The kind of a reply, which every route that shows one to the user is given.
#pragma once

#include <cstdint>

namespace core {

// A failure (something the line asked for was not done; from a script it marks the run), a
// notice (a result, a count, a warning that leaves the work done) or a question (a prompt that
// waits for an answer).
enum class ReplyKind : int8_t { Failure, Notice, Question };

}  // namespace core
