// The desktop program: the splash, the start-up, then the frame window until the user leaves.

#include "Version.h"
#include "app/InstallationFolder.h"
#include "app/Messages.h"
#include "app/Startup.h"
#include "app/screens/InstallationSetupScreen.h"
#include "app/screens/MainFrame.h"
#include "app/screens/ProgressWindow.h"
#include "app/screens/SplashScreen.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/DeliveredFiles.h"
#include "core/Desktop.h"
#include "core/FieldLog.h"
#include "core/IniFile.h"
#include "core/ProgramEnvironment.h"
#include "core/StartTrace.h"
#include "core/SystemFolders.h"
#include "net/Exchange.h"
#include "refdata/screens/OperatorListScreen.h"
#include "store/Database.h"
#include "ui/Fonts.h"
#include "ui/Pictures.h"
#include "ui/ProgramStyle.h"
#include "ui/QtPrompter.h"
#include "ui/ScreenFit.h"
#include "ui/WindowKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class DesktopStartupScreens : public vx::StartupScreens {
public:
    DesktopStartupScreens(vx::Context& context, vx::SplashScreen& splash) : m_ctx(context), m_splash(splash) {}

    void closeSplash() override { m_splash.close(); }
    void runInstallation(vx::AppState&, vx::IniFile& ini) override
    {
        vx::InstallationSetupScreen screen(m_ctx, ini);
        screen.exec();
    }
    // The loads report as they go; the window is painted between their steps.
    void showStep(const QString& title, const QString& wait) override
    {
        avvio().showStep(title, wait);
        avvio().show();
        QApplication::processEvents();
    }
    void showProgress(const QString& file, const QString& table, qint64 records, int step, int steps) override
    {
        avvio().showProgress(file, table, records, step, steps);
        QApplication::processEvents();
    }
    // The first installation: the operators are typed in, the region delivers their registry.
    void runRegistryDownload(vx::AppState&, vx::Database&) override
    {
        vx::Exchange exchange(vx::ExchangeSettings::ofInstallation(m_ctx.state.programFolder));
        vx::OperatorListScreen screen(m_ctx, exchange, &avvio());
        screen.exec();
    }
    void closeProgress()
    {
        if (m_avvio)
            m_avvio->close();
    }

private:
    // Made when a step first shows: a start with nothing to install never builds it.
    vx::ProgressWindow& avvio()
    {
        if (!m_avvio)
            m_avvio = std::make_unique<vx::ProgressWindow>();
        return *m_avvio;
    }

    vx::Context& m_ctx;
    vx::SplashScreen& m_splash;
    std::unique_ptr<vx::ProgressWindow> m_avvio;
};

} // namespace

int main(int argc, char* argv[])
{
    vx::trace::step("main");
    vx::RuntimeFolder runtime;
    vx::keepQtMessagesForDevelopers();
    vx::fieldlog::wanted(QStringLiteral("veltranorpx"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELTRANORPX"));
    QApplication::setOrganizationName(QStringLiteral("FP"));
    QApplication::setStyle(vx::programStyle());
    QApplication::setWindowIcon(vx::programIcon());
    vx::useItalian();
    vx::useScreenFont();
    vx::keepWindowsOnScreen();
    vx::keyboardForEveryWindow();
    vx::trace::step("qapplication");

    QCommandLineParser parser;
    parser.setApplicationDescription(vx::msg::app::text(vx::msg::app::Text::FrameCaption));
    parser.addHelpOption();
    QCommandLineOption folderOption(QStringLiteral("cartella"), vx::msg::app::text(vx::msg::app::Text::FolderOption),
                                    QStringLiteral("cartella"));
    QCommandLineOption readyOption(QStringLiteral("exit-when-ready"),
                                   vx::msg::app::text(vx::msg::app::Text::ExitWhenReadyOption));
    parser.addOption(folderOption);
    parser.addOption(readyOption);
    parser.addPositionalArgument(QStringLiteral("parola"),
                                 vx::msg::app::text(vx::msg::app::Text::ReservedWordArgument));
    parser.process(app);

    vx::QtPrompter prompter;
    vx::AppState state;
    QString folder = parser.isSet(folderOption) ? parser.value(folderOption) : QApplication::applicationDirPath();
    // Installed as a package: the installation the user laid out at the first start, or one laid
    // out now where the user chooses.
    if (!parser.isSet(folderOption) && !vx::packageFolder().isEmpty()) {
        folder = vx::app::remembered();
        if (folder.isEmpty())
            folder = vx::app::chooseAndLayOut(prompter, vx::packageFolder(), vx::systemfolders::proposedInstallation());
        if (folder.isEmpty())
            return 0;
    } else if (!vx::packageFolder().isEmpty()) {
        // A folder given by name becomes an installation the first time, as a chosen one does.
        QString error;
        if (!vx::app::layOut(vx::packageFolder(), folder, &error)) {
            prompter.ask(vx::msg::app::installationFolderNotWritable(error));
            return 1;
        }
    }
    state.programFolder = QDir(folder).absolutePath() + QLatin1Char('/');
    vx::fieldlog::start(state.programFolder);
    qCInfo(vxApp, "avvio: versione %s", vx::kVersionText);
    state.reservedMode = parser.positionalArguments().contains(QStringLiteral("QUOLB"));

    vx::QtAppControl control;
    vx::SystemDesktop desktop;
    vx::Clock clock;
    vx::Database db;
    vx::Context context{state, db, prompter, control, desktop, clock};

    vx::SplashScreen splash;
    splash.show();
    QApplication::processEvents();
    vx::trace::step("splash");

    DesktopStartupScreens screens(context, splash);
    vx::Startup startup(state, db, prompter, control, screens);
    if (!startup.run())
        return 0;
    screens.closeProgress();
    vx::trace::step("startup");

    vx::MainFrame frame(context);
    QObject::connect(&frame, &vx::MainFrame::firstActivated, &splash, &QWidget::close);
    frame.setExitWhenReady(parser.isSet(readyOption));
    frame.show();
    frame.activateWindow();
    // Without a window manager the frame may never become active.
    QTimer::singleShot(0, &frame, &vx::MainFrame::startFirstActivation);
    vx::trace::step("frame");
    const int status = app.exec();
    vx::trace::step("end");
    qCInfo(vxApp, "fine (%d)", status);
    // After the orderly end nothing is left to save: the database is closed and its copy made, the
    // settings were written as they changed. The process leaves without taking every window,
    // plugin and library apart one by one; unless it owns the clipboard, whose content the
    // desktop's clipboard manager takes over while Qt closes.
    if (frame.endedInOrder() && !QGuiApplication::clipboard()->ownsClipboard()) {
        runtime.remove();
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
