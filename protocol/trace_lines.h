// The line written for each frame sent and received, in the trace window and
// in the session log of --trace-file; zhv22-sim reads the log back to replay it.
#pragma once

namespace zhv::trace {

inline constexpr const char* kSent = ">: ";      // then every byte as "0D " ...
inline constexpr const char* kReceived = "<: ";  // the same, from the start byte on
inline constexpr const char* kBadCheck = "bad XOR";       // ends a frame whose check byte is wrong
inline constexpr const char* kTimeOut = "<: TimeOut";     // ends a frame that stalled
inline constexpr const char* kEvent = "== ";     // the session log's lines that are no frame

}  // namespace zhv::trace
