#pragma once

#include <optional>
#include <string>
#include <vector>

// A thin wrapper of libpq: one connection, statements without parameters,
// COPY ... FROM STDIN, and failures as text with their SQLSTATE.
struct pg_conn;

namespace rz::collect {

struct PgError {
  std::string message;
  std::string state;  // SQLSTATE, empty when the failure is not the server's (no connection)

  // The server refused the data itself (a value it cannot take), not the
  // connection or the database: classes 22 (data exception), 23 (integrity)
  // and 54 (program limit exceeded).
  bool RefusedData() const;
};

class PgConnection {
 public:
  PgConnection() = default;
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Connects with a libpq connection string (empty: libpq's environment,
  // PGHOST, PGDATABASE, ...). The session's text is UTF-8 and its notices
  // are not printed.
  bool Open(const std::string& conninfo, PgError& error);
  bool IsOpen() const { return conn_ != nullptr; }
  void Close();

  // Runs SQL text: one or several statements, no parameters.
  bool Run(const std::string& sql, PgError& error);
  // Runs one query and returns its first column, row by row (NULL as "").
  bool Column(const std::string& sql, std::vector<std::string>& values, PgError& error);
  // Runs one statement with text parameters (nullopt: NULL) and returns the
  // first column of its rows.
  bool Column(const std::string& sql, const std::vector<std::optional<std::string>>& params,
              std::vector<std::string>& values, PgError& error);
  // Runs `COPY ... FROM STDIN` and sends it `data` in COPY's text format.
  bool CopyIn(const std::string& copySql, const std::string& data, PgError& error);

 private:
  bool Connected(PgError& error) const;

  pg_conn* conn_ = nullptr;
};

}  // namespace rz::collect
