#pragma once

namespace rz::collect {

// The collector's tables, indexes and report views, created when missing
// (run in one transaction; an advisory lock keeps two collectors starting at
// once from racing). Text of several statements, without BEGIN/COMMIT.
extern const char* const kSchemaSql;

}  // namespace rz::collect
