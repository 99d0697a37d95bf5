#include "gui/main_frame.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <string>

#include "gui/qt_text.h"
#include "platform/ui_hooks.h"

namespace qel::gui {
namespace {

CMainFrame::HelpOpener& Opener() {
  static CMainFrame::HelpOpener opener;
  return opener;
}

void ShowHelpBox(const QString& caption, unsigned text_id, const QString& path) {
  QString text = GuiText(text_id);
  text.replace(QStringLiteral("%s"), path);
  // Through the platform presenter, so that a window program and a test see
  // the box the same way as every other message.
  const QByteArray caption_utf8 = caption.toUtf8();
  const QByteArray text_utf8 = text.toUtf8();
  const std::string cp_caption =
      ToCp932(caption).value_or(std::string(caption_utf8.constData(), caption_utf8.size()));
  const std::string cp_text =
      ToCp932(text).value_or(std::string(text_utf8.constData(), text_utf8.size()));
  platform::ShowBox(cp_caption, cp_text, platform::BoxButtons::kOk,
                    platform::BoxIcon::kExclamation);
}

}  // namespace

CommandTexts SplitCommandText(const QString& text) {
  const qsizetype newline = text.indexOf(QLatin1Char('\n'));
  if (newline < 0) return {text, text};
  return {text.left(newline), text.mid(newline + 1)};
}

CMainFrame::CMainFrame(const QString& caption, QWidget* parent)
    : QMainWindow(parent), caption_(caption) {
  setWindowTitle(caption);
  tool_bar_ = addToolBar(QString());
  tool_bar_->setObjectName(QStringLiteral("toolbar"));
  tool_bar_->setMovable(false);
  statusBar()->showMessage(IdleText());
  // When a prompt disappears, the idle text comes back.
  connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
    if (message.isEmpty()) statusBar()->showMessage(IdleText());
  });
}

QMenu* CMainFrame::AddMenu(const QString& title) { return menuBar()->addMenu(title); }

QAction* CMainFrame::AddCommand(QMenu* menu, unsigned id, const QString& label,
                                const QKeySequence& shortcut, const QIcon& icon) {
  QAction* action = new QAction(icon, label, this);
  const CommandTexts texts = SplitCommandText(ProgramText(id));
  action->setStatusTip(texts.prompt);
  action->setToolTip(texts.tool_tip.isEmpty() ? label : texts.tool_tip);
  action->setData(id);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  if (menu != nullptr) menu->addAction(action);
  if (!icon.isNull()) tool_bar_->addAction(action);
  return action;
}

QString CMainFrame::IdleText() const { return GuiText(kTextReady); }

void CMainFrame::ShowAbout(const QString& text) { QMessageBox::about(this, caption_, text); }

HelpTopic CMainFrame::TopicOfSender(HelpTopic topic) {
  auto* action = qobject_cast<QAction*>(sender());
  const QList<QAction*> menus = menuBar()->actions();
  if (topic != HelpTopic::kContents || action == nullptr || menus.isEmpty()) return topic;
  QMenu* help = menus.last()->menu();
  if (help == nullptr) return topic;
  int place = 0;
  for (QAction* entry : help->actions()) {
    if (entry->isSeparator()) continue;
    if (entry == action) {
      if (place == 1) return HelpTopic::kIndex;
      if (place == 2) return HelpTopic::kUsing;
      return topic;
    }
    ++place;
  }
  return topic;
}

bool CMainFrame::OpenHelp(const QString& path, HelpTopic topic) {
  topic = TopicOfSender(topic);
  const QString page = path.isEmpty() ? path : HelpPagePath(path, topic);
  if (page.isEmpty() || !QFileInfo(HelpPageFile(page)).isFile()) {
    ShowHelpBox(caption_, kTextHelpMissing, HelpPageFile(page));
    return false;
  }
  bool opened;
  if (const HelpOpener& opener = Opener()) {
    opened = opener(page);
  } else {
    // Opened from a modal dialog, the help belongs to the dialog: a window
    // outside it would take no input until the dialog closes.
    QWidget* owner = QApplication::activeModalWidget();
    if (help_window_ == nullptr) {
      help_window_ = new CHelpWindow(caption_, owner);
      // Gone with the frame, also when no event loop runs any more.
      connect(this, &QObject::destroyed, help_window_,
              [window = help_window_] { delete window.data(); });
    } else if (help_window_->parentWidget() != owner) {
      help_window_->setParent(owner, help_window_->windowFlags() | Qt::Window);
    }
    opened = help_window_->ShowHelp(path, topic);
    if (opened) {
      help_window_->show();
      help_window_->raise();
      help_window_->activateWindow();
    }
  }
  if (!opened) ShowHelpBox(caption_, kTextHelpNotOpened, page);
  return opened;
}

void CMainFrame::SetHelpOpener(HelpOpener opener) { Opener() = std::move(opener); }

QIcon LetterIcon(const QString& letters, const QColor& color, int pixel_size) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(color);
  painter.drawRect(0, 0, 23, 23);
  QFont font = painter.font();
  font.setPixelSize(pixel_size);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, letters);
  return QIcon(pixmap);
}

}  // namespace qel::gui
