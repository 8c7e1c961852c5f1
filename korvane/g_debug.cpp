#include "g_debug.h"

#include <QBrush>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextStream>
#include <QVBoxLayout>
#include <QVector>
#include <QtDebug>

std::atomic<g_debug*> g_debugWindow{nullptr};

g_debug::g_debug(QWidget* parent)
    : QWidget(parent, Qt::Window),
      textView_(new QTextEdit(this)),
      clearButton_(new QPushButton(tr("Clear All"), this)),
      saveButton_(new QPushButton(tr("Save"), this)),
      searchButton_(new QPushButton(tr("search"), this)),
      searchField_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Debug"));
  resize(500, 410);
  // Closing the log must not end the program when it is the last window shown.
  setAttribute(Qt::WA_QuitOnClose, false);

  textView_->setObjectName(QStringLiteral("debugTextView"));
  clearButton_->setObjectName(QStringLiteral("clearAllButton"));
  saveButton_->setObjectName(QStringLiteral("saveButton"));
  searchButton_->setObjectName(QStringLiteral("searchButton"));
  searchField_->setObjectName(QStringLiteral("searchField"));

  searchField_->setStyleSheet(QStringLiteral(
      "border:2px groove gray;border-radius:10px;padding:2px 4px;background-color:rgba(255,255,255,0)"));
  connect(searchButton_, &QPushButton::clicked, this, &g_debug::on_findButton_clicked);

  auto* row = new QHBoxLayout;
  row->addWidget(clearButton_);
  row->addWidget(saveButton_);
  row->addStretch();
  row->addWidget(searchField_);
  row->addWidget(searchButton_);
  row->addStretch();

  textView_->setStyleSheet(QStringLiteral("QTextEdit{background-color:rgba(255,255,255,0)}"));
  // The log is never edited, and an undo history would only grow with it.
  textView_->setUndoRedoEnabled(false);
  // A busy program logs without end; the window shows the latest part.
  textView_->document()->setMaximumBlockCount(KeptLines);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(textView_);

  connect(this, QOverload<const QString&>::of(&g_debug::settext), this,
          QOverload<const QString&>::of(&g_debug::on_settext));
  connect(this, QOverload<const QStringList&>::of(&g_debug::settext), this,
          QOverload<const QStringList&>::of(&g_debug::on_settext));
  connect(clearButton_, &QPushButton::clicked, this, &g_debug::on_clear);
  connect(saveButton_, &QPushButton::clicked, this, &g_debug::on_savetofile);
}

void g_debug::on_settext(const QString& text) { textView_->append(text); }

void g_debug::on_settext(const QStringList& strlist) {
  if (textView_->toPlainText().length() > ListTrimLength) textView_->setText(QString());
  for (const QString& text : strlist) textView_->append(text);
}

void g_debug::on_clear() { textView_->clear(); }

QString g_debug::chooseSaveFile() {
  return QFileDialog::getSaveFileName(this, QString(), QStringLiteral("./"), QStringLiteral(".txt"));
}

void g_debug::on_savetofile() {
  QString fileName = chooseSaveFile();
  if (fileName.isEmpty()) return;
  // The dialog offers text files; a name typed without an extension gets theirs.
  if (QFileInfo(fileName).suffix().isEmpty()) fileName += QStringLiteral(".txt");
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  QTextStream stream(&file);
  stream << textView_->toPlainText();
  stream.flush();
  file.close();
  qDebug().noquote() << "save file to " + fileName + " successed!";
}

void g_debug::on_findButton_clicked() {
  if (!firstSearch_) removeSearchHighlight();
  const QString word = searchField_->text();
  if (word.isEmpty()) {
    QMessageBox::information(this, tr("Empty Search Field"),
                             QStringLiteral("The search field is empty. Please enter a word and click Find."));
    return;
  }

  QTextDocument* document = textView_->document();
  QTextCharFormat red;
  red.setForeground(QBrush(Qt::red));
  QTextCursor block(document);
  block.beginEditBlock();
  bool found = false;
  QTextCursor match(document);
  while (!match.isNull() && !match.atEnd()) {
    match = document->find(word, match, QTextDocument::FindWholeWords);
    if (match.isNull()) break;
    found = true;
    // The match selects the word alone; the blank after it stays uncoloured.
    match.mergeCharFormat(red);
  }
  block.endEditBlock();
  firstSearch_ = false;
  if (!found) qDebug("Sorry, the word cannot be found.");
}

// Takes the red of the last search off the whole log, which holds no other
// colour, wherever lines were appended or removed since.
void g_debug::removeSearchHighlight() {
  struct Coloured {
    int start;
    int end;
    QTextCharFormat format;
  };
  QTextDocument* document = textView_->document();
  QVector<Coloured> coloured;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.charFormat().hasProperty(QTextFormat::ForegroundBrush))
        coloured.append({fragment.position(), fragment.position() + fragment.length(), fragment.charFormat()});
    }
  for (Coloured& range : coloured) {
    QTextCursor cursor(document);
    cursor.setPosition(range.start);
    cursor.setPosition(range.end, QTextCursor::KeepAnchor);
    range.format.clearForeground();
    cursor.setCharFormat(range.format);
  }
}

void g_debug::mousePressEvent(QMouseEvent* event) {
  windowAtPress_ = pos();
  mouseAtPress_ = event->globalPos();
  dragOffset_ = mouseAtPress_ - windowAtPress_;
}

void g_debug::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() != Qt::NoButton) move(event->globalPos() - dragOffset_);
}
