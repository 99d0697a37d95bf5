// The converter's main window: menus, tool bar and the opening of dialogs.
#include "xform/qelxform/xform_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QStatusBar>

#include "gui/qt_text.h"
#include "message/qelmessage.h"
#include "xform/qelxform/run_info.h"
#include "xform/qelxform/xform_texts.h"

#ifndef QEL_VERSION
#define QEL_VERSION ""
#endif

namespace qel::xform::gui {
namespace {

using qel::gui::ProgramText;

CMainFrame::DialogObserver& Observer() {
  static CMainFrame::DialogObserver observer;
  return observer;
}

constexpr unsigned kCommandIds[kConversionCount] = {kCmdSamToTxt, kCmdTxtToSam,  kCmdSamToCsv,
                                                    kCmdCsvToSam, kCmdIsamToCsv, kCmdVsamToSam};

}  // namespace

QIcon ConversionIcon(Conversion conversion) {
  static const char* const kLetters[kConversionCount] = {"ST", "TS", "SC", "CS", "IC", "VS"};
  return qel::gui::LetterIcon(QString::fromLatin1(kLetters[static_cast<int>(conversion)]),
                              QColor(0x20, 0x40, 0x80));
}

CKXFMView::CKXFMView(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("view")); }

CMainFrame::CMainFrame(QWidget* parent) : qel::gui::CMainFrame(ProgramText(kTextAppTitle), parent) {
  setObjectName(QStringLiteral("mainFrame"));
  m_view = new CKXFMView(this);
  setCentralWidget(m_view);
  resize(560, 320);

  QMenu* file = AddMenu(ProgramText(kTextMenuFile));
  for (int i = 0; i < kConversionCount; ++i) {
    const auto conversion = static_cast<Conversion>(i);
    m_conversions[i] = AddCommand(file, kCommandIds[i], ProgramText(kTextCmdFirst + i), {},
                                  ConversionIcon(conversion));
    connect(m_conversions[i], &QAction::triggered, this,
            [this, conversion] { openConversion(conversion); });
  }
  file->addSeparator();
  m_exit = AddCommand(file, kCmdExit, ProgramText(kTextCmdExit));
  connect(m_exit, &QAction::triggered, this, &QWidget::close);

  QMenu* view = AddMenu(ProgramText(kTextMenuView));
  m_toolBar = AddCommand(view, kCmdViewToolBar, ProgramText(kTextToolBar));
  m_toolBar->setCheckable(true);
  m_toolBar->setChecked(true);
  connect(m_toolBar, &QAction::toggled, ToolBar(), &QWidget::setVisible);
  m_statusBar = AddCommand(view, kCmdViewStatusBar, ProgramText(kTextStatusBar));
  m_statusBar->setCheckable(true);
  m_statusBar->setChecked(true);
  connect(m_statusBar, &QAction::toggled, statusBar(), &QWidget::setVisible);

  QMenu* help = AddMenu(ProgramText(kTextMenuHelp));
  const qel::gui::HelpTopic topics[] = {qel::gui::HelpTopic::kContents, qel::gui::HelpTopic::kIndex,
                                        qel::gui::HelpTopic::kUsing};
  for (int i = 0; i < 3; ++i) {
    QAction* action = AddCommand(help, kCmdHelpContents + i, ProgramText(kTextHelpContents + i));
    const qel::gui::HelpTopic topic = topics[i];
    connect(action, &QAction::triggered, this, [this, topic] { OpenHelp(helpFilePath(), topic); });
    m_help.append(action);
  }
  help->addSeparator();
  m_about = AddCommand(help, kCmdAbout, ProgramText(kTextAbout));
  connect(m_about, &QAction::triggered, this, &CMainFrame::showAbout);
}

QString CMainFrame::helpFilePath() {
  char dir[KMSO_INSTDIR_SIZE] = {};
  KMSOGetInstDir(dir);
  const QString name = QStringLiteral("qelxform.html");
  // Without an installation directory the name alone still tells the user
  // which file is missing.
  if (dir[0] == '\0') return name;
  return QFile::decodeName(dir) + QLatin1Char('/') + name;
}

void CMainFrame::setDialogObserver(DialogObserver observer) { Observer() = std::move(observer); }

void CMainFrame::openConversion(Conversion conversion) {
  if (ConversionRunning()) return;
  std::unique_ptr<CConversionDialog> dialog = MakeConversionDialog(conversion, m_doc, this, this);
  // The dialog's help opens the contents at the dialog's own section.
  static const char* const kSections[kConversionCount] = {"samtotxt", "txttosam",  "samtocsv",
                                                          "csvtosam", "isamtocsv", "vsamtosam"};
  const QString section = QString::fromLatin1(kSections[static_cast<int>(conversion)]);
  connect(dialog.get(), &CConversionDialog::helpRequested, this,
          [this, section] { OpenHelp(helpFilePath() + QLatin1Char('#') + section); });
  if (Observer()) Observer()(*dialog);
  dialog->exec();
}

void CMainFrame::openHelpFile() { OpenHelp(helpFilePath()); }

void CMainFrame::showAbout() {
  QString text = ProgramText(kTextAboutBody);
  text.replace(QStringLiteral("%s"), QStringLiteral(QEL_VERSION));
  ShowAbout(text);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (ConversionRunning()) {
    event->ignore();
    return;
  }
  qel::gui::CMainFrame::closeEvent(event);
}

}  // namespace qel::xform::gui
