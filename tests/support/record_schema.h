#pragma once

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"

namespace rz::testing {

// Whether the JSON file at `path` matches the JSON Schema file `schemaPath`,
// checked by Python's jsonschema (Debian's python3-jsonschema); the failure
// names the first few mismatches.
inline ::testing::AssertionResult MatchesSchema(const std::string& path, const std::string& schemaPath) {
  static constexpr const char* kCheck =
      "import json, sys\n"
      "from jsonschema import Draft202012Validator as V\n"
      "schema = json.load(open(sys.argv[1], encoding='utf-8'))\n"
      "V.check_schema(schema)\n"
      "errors = list(V(schema).iter_errors(json.load(open(sys.argv[2], encoding='utf-8'))))\n"
      "for e in errors[:5]: print('/'.join(map(str, e.absolute_path)) + ': ' + e.message[:300])\n"
      "sys.exit(1 if errors else 0)\n";
  const ProcessResult result = ChildProcess({"/usr/bin/python3", "-c", kCheck, schemaPath, path}).Wait();
  if (result.exitCode == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << path << " does not match " << schemaPath << ":\n"
                                       << result.out << result.err;
}

// The same for a run record and the repository's record schema.
inline ::testing::AssertionResult MatchesRecordSchema(const std::string& path) {
  return MatchesSchema(path, RZ_RECORD_SCHEMA);
}

}  // namespace rz::testing
