// The help window: HTML pages of the installation directory in a text
// browser, with the navigation a help viewer offers.
#include "gui/help_window.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace qel::gui {

QString HelpPageFile(const QString& page) { return page.section(QLatin1Char('#'), 0, 0); }

QString HelpPagePath(const QString& help_path_and_place, HelpTopic topic) {
  const QString help_path = HelpPageFile(help_path_and_place);
  const qsizetype hash = help_path_and_place.indexOf(QLatin1Char('#'));
  // The installation directory comes from the registry and may have been
  // joined with a Windows separator.
  const qsizetype cut =
      std::max(help_path.lastIndexOf(QLatin1Char('/')), help_path.lastIndexOf(QLatin1Char('\\')));
  const QString dir = cut < 0 ? QString() : help_path.left(cut);
  QString name = help_path.mid(cut + 1);
  QString base = name;
  if (name.endsWith(QStringLiteral(".hlp"), Qt::CaseInsensitive)) {
    base = name.left(name.size() - 4).toLower();
    name = base + QStringLiteral(".html");
  } else if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot > 0) {
    base = name.left(dot);
  }
  QString page;
  switch (topic) {
    case HelpTopic::kContents:
      page = name;
      if (hash >= 0) page += help_path_and_place.mid(hash);
      break;
    case HelpTopic::kIndex:
      page = base + QStringLiteral("_index.html");
      break;
    case HelpTopic::kUsing:
      page = QStringLiteral("help_usage.html");
      break;
  }
  return cut < 0 ? page : dir + QLatin1Char('/') + page;
}

CHelpWindow::CHelpWindow(const QString& caption, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(GuiText(kTextHelpTitle).replace(QStringLiteral("%s"), caption));
  m_contents = new QPushButton(GuiText(kTextHelpContentsButton), this);
  m_index = new QPushButton(GuiText(kTextHelpIndexButton), this);
  m_back = new QPushButton(GuiText(kTextHelpBackButton), this);
  m_forward = new QPushButton(GuiText(kTextHelpForwardButton), this);
  m_using = new QPushButton(GuiText(kTextHelpUsingButton), this);
  m_close = new QPushButton(GuiText(kTextHelpCloseButton), this);
  m_browser = new QTextBrowser(this);
  m_browser->setObjectName(QStringLiteral("helpBrowser"));
  m_browser->setOpenLinks(true);
  m_browser->setOpenExternalLinks(false);
  m_back->setEnabled(false);
  m_forward->setEnabled(false);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {m_contents, m_index, m_back, m_forward, m_using}) {
    button->setAutoDefault(false);
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  buttons->addWidget(m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(m_browser, 1);
  resize(640, 520);

  connect(m_contents, &QPushButton::clicked, this,
          [this] { showFile(HelpPagePath(m_contentsPath, HelpTopic::kContents)); });
  connect(m_index, &QPushButton::clicked, this,
          [this] { showFile(HelpPagePath(m_contentsPath, HelpTopic::kIndex)); });
  connect(m_using, &QPushButton::clicked, this,
          [this] { showFile(HelpPagePath(m_contentsPath, HelpTopic::kUsing)); });
  connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
  connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
  connect(m_close, &QPushButton::clicked, this, &QWidget::close);
  connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
}

bool CHelpWindow::ShowHelp(const QString& help_path, HelpTopic topic) {
  if (!showFile(HelpPagePath(help_path, topic))) return false;
  m_contentsPath = HelpPagePath(HelpPageFile(help_path), HelpTopic::kContents);
  return true;
}

void CHelpWindow::keyPressEvent(QKeyEvent* event) {
  // Escape closes the help as it closes a dialog.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool CHelpWindow::showFile(const QString& page) {
  const QFileInfo info(HelpPageFile(page));
  if (!info.isFile() || !info.isReadable()) return false;
  QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
  if (const qsizetype hash = page.indexOf(QLatin1Char('#')); hash >= 0) {
    url.setFragment(page.mid(hash + 1));
  }
  m_browser->setSource(url);
  return true;
}

}  // namespace qel::gui
