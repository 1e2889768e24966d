#include "pg_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <memory>

namespace rz::collect {
namespace {

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// libpq's message on one line: its line breaks (and the tabs after them) as spaces.
std::string OneLine(const char* text) {
  std::string line;
  for (const char* c = text != nullptr ? text : ""; *c != '\0'; ++c) {
    const bool gap = *c == '\n' || *c == '\t';
    if (!gap)
      line += *c;
    else if (!line.empty() && line.back() != ' ')
      line += ' ';
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

void Ignore(void*, const char*) {}

// True when the result is one of `expected`; otherwise the error is filled in.
bool Succeeded(PGconn* conn, const PGresult* result, ExecStatusType expected, PgError& error) {
  if (result != nullptr && PQresultStatus(result) == expected) return true;
  if (result == nullptr) {
    error = {OneLine(PQerrorMessage(conn)), ""};
    return false;
  }
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  error = {OneLine(primary != nullptr ? primary : PQresultErrorMessage(result)), state != nullptr ? state : ""};
  if (error.message.empty()) error.message = OneLine(PQerrorMessage(conn));
  return false;
}

}  // namespace

bool PgError::RefusedData() const {
  return state.rfind("22", 0) == 0 || state.rfind("23", 0) == 0 || state.rfind("54", 0) == 0;
}

PgConnection::~PgConnection() { Close(); }

void PgConnection::Close() {
  if (conn_ != nullptr) PQfinish(conn_);
  conn_ = nullptr;
}

bool PgConnection::Connected(PgError& error) const {
  if (conn_ == nullptr) error = {"not connected", ""};
  return conn_ != nullptr;
}

bool PgConnection::Open(const std::string& conninfo, PgError& error) {
  Close();
  PGconn* conn = PQconnectdb(conninfo.c_str());
  if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
    error = {conn != nullptr ? OneLine(PQerrorMessage(conn)) : "out of memory", ""};
    if (conn != nullptr) PQfinish(conn);
    return false;
  }
  PQsetNoticeProcessor(conn, Ignore, nullptr);
  if (PQsetClientEncoding(conn, "UTF8") != 0) {
    error = {OneLine(PQerrorMessage(conn)), ""};
    PQfinish(conn);
    return false;
  }
  conn_ = conn;
  return true;
}

bool PgConnection::Run(const std::string& sql, PgError& error) {
  if (!Connected(error)) return false;
  const Result result(PQexec(conn_, sql.c_str()), PQclear);
  const bool rows = PQresultStatus(result.get()) == PGRES_TUPLES_OK;
  return Succeeded(conn_, result.get(), rows ? PGRES_TUPLES_OK : PGRES_COMMAND_OK, error);
}

bool PgConnection::Column(const std::string& sql, std::vector<std::string>& values, PgError& error) {
  return Column(sql, {}, values, error);
}

bool PgConnection::Column(const std::string& sql, const std::vector<std::optional<std::string>>& params,
                          std::vector<std::string>& values, PgError& error) {
  values.clear();
  if (!Connected(error)) return false;
  std::vector<const char*> texts;
  texts.reserve(params.size());
  for (const auto& param : params) texts.push_back(param ? param->c_str() : nullptr);
  const Result result(
      PQexecParams(conn_, sql.c_str(), static_cast<int>(texts.size()), nullptr, texts.data(), nullptr, nullptr, 0),
      PQclear);
  if (!Succeeded(conn_, result.get(), PGRES_TUPLES_OK, error)) return false;
  for (int row = 0; row < PQntuples(result.get()); ++row) values.emplace_back(PQgetvalue(result.get(), row, 0));
  return true;
}

bool PgConnection::CopyIn(const std::string& copySql, const std::string& data, PgError& error) {
  if (!Connected(error)) return false;
  {
    const Result start(PQexec(conn_, copySql.c_str()), PQclear);
    if (!Succeeded(conn_, start.get(), PGRES_COPY_IN, error)) return false;
  }
  // Sent in pieces of at most 1 MiB (libpq takes an int length).
  constexpr std::size_t kPiece = 1 << 20;
  bool sent = true;
  for (std::size_t at = 0; at < data.size() && sent; at += kPiece) {
    const std::size_t length = std::min(kPiece, data.size() - at);
    sent = PQputCopyData(conn_, data.data() + at, static_cast<int>(length)) == 1;
  }
  if (!sent || PQputCopyEnd(conn_, nullptr) != 1) {
    error = {OneLine(PQerrorMessage(conn_)), ""};
    // Whatever the server still says about the aborted COPY is read and dropped.
    while (PGresult* rest = PQgetResult(conn_)) PQclear(rest);
    return false;
  }
  bool ok = true;
  while (PGresult* raw = PQgetResult(conn_)) {
    const Result result(raw, PQclear);
    if (ok && !Succeeded(conn_, raw, PGRES_COMMAND_OK, error)) ok = false;
  }
  return ok;
}

}  // namespace rz::collect
