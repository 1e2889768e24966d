#pragma once

#include <QAbstractListModel>
#include <QBasicTimer>

#include <string>

#include "app/journal_lines.h"

namespace rz::gui {

// The journal as a list model. The lines live in one rz::JournalLines (which
// owns the rules for modes and indices) and become QStrings only when a view
// asks for a visible row, so a journal of 100000 lines costs little more than
// its text.
//
// Appended lines are in the journal at once (Count(), Text()), but views learn
// of them in batches, at most every kPublishIntervalMs: a worker appending line
// after line then costs one repaint per batch instead of one per line, which
// would otherwise limit it to about a thousand lines a second. GUI thread only.
class JournalModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  static constexpr int kPublishIntervalMs = 20;

  explicit JournalModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Mode 0 appends; any other mode replaces line (count + mode). Returns the
  // line that changed, or -1 when nothing did.
  int Add(int mode, const std::string& text);
  bool Set(int line, const std::string& text);
  bool Insert(int line, const std::string& text);
  bool Erase(int line);
  int Count() const { return lines_.Count(); }
  const std::string& Text(int line) const { return lines_.Text(line); }
  const rz::JournalLines& Lines() const { return lines_; }

  // Number of lines the views have been told of.
  int PublishedCount() const { return published_; }
  // Tells the views of every line appended so far.
  void Publish();

 signals:
  // Views have just been told of new lines.
  void Published();

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void EmitChanged(int line);

  rz::JournalLines lines_;
  int published_ = 0;
  QBasicTimer publishTimer_;
};

}  // namespace rz::gui
