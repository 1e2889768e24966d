#include "journal_model.h"

#include <QTimerEvent>

#include "app/texts.h"

namespace rz::gui {

JournalModel::JournalModel(QObject* parent) : QAbstractListModel(parent) {}

int JournalModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : published_;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.column() != 0) return {};
  return QString::fromStdString(lines_.Text(index.row()));
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0) {
    return QString::fromUtf8(rz::text::kJournalColumn);
  }
  return {};
}

int JournalModel::Add(int mode, const std::string& text) {
  if (mode == 0) {
    const int line = lines_.Add(0, text);
    if (!publishTimer_.isActive()) publishTimer_.start(kPublishIntervalMs, this);
    return line;
  }
  const int line = lines_.Add(mode, text);
  EmitChanged(line);
  return line;
}

bool JournalModel::Set(int line, const std::string& text) {
  if (!lines_.Set(line, text)) return false;
  EmitChanged(line);
  return true;
}

bool JournalModel::Insert(int line, const std::string& text) {
  if (line < 0 || line > lines_.Count()) return false;
  Publish();
  beginInsertRows(QModelIndex(), line, line);
  lines_.Insert(line, text);
  ++published_;
  endInsertRows();
  return true;
}

bool JournalModel::Erase(int line) {
  if (line < 0 || line >= lines_.Count()) return false;
  Publish();
  beginRemoveRows(QModelIndex(), line, line);
  lines_.Erase(line);
  --published_;
  endRemoveRows();
  return true;
}

void JournalModel::Publish() {
  publishTimer_.stop();
  if (published_ >= lines_.Count()) return;
  beginInsertRows(QModelIndex(), published_, lines_.Count() - 1);
  published_ = lines_.Count();
  endInsertRows();
  emit Published();
}

void JournalModel::timerEvent(QTimerEvent* event) {
  if (event->timerId() == publishTimer_.timerId()) {
    Publish();
  } else {
    QAbstractListModel::timerEvent(event);
  }
}

void JournalModel::EmitChanged(int line) {
  // Lines not yet published are shown with their latest text when they are.
  if (line < 0 || line >= published_) return;
  const QModelIndex changed = index(line);
  emit dataChanged(changed, changed, {Qt::DisplayRole});
}

}  // namespace rz::gui
