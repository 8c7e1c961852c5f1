#pragma once

#include <atomic>

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QTextEdit;

// The debug log window: every line of the message log in debug mode, with
// buttons to clear and save it and a whole-word search that colours the
// matches red. Closing it only hides it; it never ends the program.
class g_debug : public QWidget {
  Q_OBJECT

public:
  // A view that holds more than this many characters is emptied before a list of lines is added.
  static constexpr int ListTrimLength = 10000;
  // The view keeps this many of the latest lines; older ones go.
  static constexpr int KeptLines = 10000;

  explicit g_debug(QWidget* parent = nullptr);

signals:
  void settext(const QString& text);
  void settext(const QStringList& strlist);

public slots:
  void on_settext(const QString& text);
  void on_settext(const QStringList& strlist);
  void on_clear();
  void on_savetofile();
  void on_findButton_clicked();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  // The file the view is saved to; empty when the user cancels.
  virtual QString chooseSaveFile();

private:
  void removeSearchHighlight();

  QTextEdit* textView_;
  QPushButton* clearButton_;
  QPushButton* saveButton_;
  QPushButton* searchButton_;
  QLineEdit* searchField_;
  bool firstSearch_ = true;
  QPoint windowAtPress_;
  QPoint mouseAtPress_;
  QPoint dragOffset_;
};

// The one debug log window; null outside debug mode. Read by every thread that logs.
extern std::atomic<g_debug*> g_debugWindow;
