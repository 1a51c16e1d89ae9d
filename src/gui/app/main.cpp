// Program start: the application object, the Data folder, the look, the main
// window and the event loop.
#include "gui/common/appearance.h"
#include "gui/common/colourscheme.h"
#include "gui/common/termsignals.h"
#include "gui/main/mainwindow.h"
#include "library/stocklibrary.h"
#include "platform/datadir.h"
#include "platform/version.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string_view>
#include <utility>

namespace {

constexpr const char* kUsage =
    "使い方 / Usage: zutomelark [--data DIR] [--dark]\n"
    "  --data DIR  Data フォルダ / the Data folder (settings, stock list, stocks)\n"
    "  --dark      暗い配色で表示 / dark colours for this run (also ZUTOMELARK_DARK=1;\n"
    "              ZUTOMELARK_DARK=0 明るい配色 / light; otherwise the 設定 dialog's 配色)\n"
    "  --version   版 / the version\n"
    "  --help      この説明 / this text\n"
    "\n"
    "Data フォルダは次の順に決まります / The Data folder is the first of:\n"
    "  1. --data DIR\n"
    "  2. $ZUTOMELARK_DATA\n"
    "  3. <program folder>/Data  (既にある場合のみ、作成しません /\n"
    "                            only if it already exists; never created)\n"
    "  4. $XDG_DATA_HOME/zutomelark/Data  (~/.local/share/zutomelark/Data)\n";

void showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZuTomelark"), text,
                    QMessageBox::NoButton);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

// An exception thrown by a window's handler is shown, and the program goes on,
// rather than letting it unwind through the event loop.
class Application : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* e) override {
        try {
            return QApplication::notify(receiver, e);
        } catch (const std::exception& ex) {
            showError(QString::fromUtf8(ex.what()));
        } catch (...) {
            showError(QStringLiteral("不明なエラーが発生しました。"));
        }
        return false;
    }
};

struct Options {
    std::optional<std::filesystem::path> data;
    bool dark = false;
    QString error;
};

// Run on what QApplication leaves of the command line: Qt's own options
// (-platform, -style, -display, -geometry, ...) are gone by then.
Options parseArguments(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--data") {
            if (i + 1 >= argc) {
                o.error = QStringLiteral("--data needs a folder");
                return o;
            }
            o.data = std::filesystem::path(argv[++i]);
        } else if (a == "--dark") {
            o.dark = true;
        } else if (a.starts_with("--data=")) {
            o.data = std::filesystem::path(std::string(a.substr(7)));
        } else if (a.starts_with("-")) {
            o.error =
                QStringLiteral("unknown option: ") + QString::fromUtf8(a.data(), int(a.size()));
            return o;
        }
    }
    return o;
}

constexpr const char* kNoDisplay = "画面に接続できません (DISPLAY / WAYLAND_DISPLAY)\n";

// True when Qt will need a display server: no platform asked for that runs
// without one (offscreen, minimal, vnc, ...).
bool needsDisplay(int argc, char** argv) {
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform")
            platform = argv[i + 1];
    return platform.isEmpty() || platform.startsWith("xcb") || platform.startsWith("wayland");
}

// While the application object connects to the display, Qt ends a failed
// connection with a fatal message and an abort (a core dump, and advice to
// reinstall): the user gets one line and exit status 1 instead. What Qt says
// on the way is held, and shown only when the start goes on.
QStringList& startMessages() {
    static QStringList held;
    return held;
}

void onStartMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) {
        startMessages() << text;
        return;
    }
    std::fputs(kNoDisplay, stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char** argv) {
    // The help and the version need no display, so they are answered before Qt starts.
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version") {
            const std::string_view v = zt::programVersion();
            std::printf("zutomelark %.*s\n", int(v.size()), v.data());
            return 0;
        }
    }

    if (needsDisplay(argc, argv) && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    const QtMessageHandler previous = qInstallMessageHandler(onStartMessage);
    Application app(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& m : std::exchange(startMessages(), {}))
        std::fprintf(stderr, "%s\n", qPrintable(m));
    const Options opts = parseArguments(argc, argv);
    if (!opts.error.isEmpty()) {
        std::fprintf(stderr, "%s\n%s", qPrintable(opts.error), kUsage);
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("ZuTomelark"));
    // The desktop matches the windows to the installed desktop entry (and its icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zutomelark.zutomelark"));
    zt::setupAppearance(app);

    try {
        const std::filesystem::path dataDir =
            zt::resolveDataDir(zt::dataDirInputsFromEnvironment(opts.data));
        if (std::filesystem::path failed; !zt::seedDataDir(dataDir, &failed)) {
            showError(failed.empty() ? QStringLiteral("Data フォルダ %1 を作成できません")
                                           .arg(QString::fromStdString(dataDir.string()))
                                     : QString::fromStdString(zt::messageCannotCreate(failed)));
            return 1;
        }
        // --dark and ZUTOMELARK_DARK for this run, else the setting (自動 by default).
        const auto env = qEnvironmentVariableIsSet("ZUTOMELARK_DARK")
                             ? std::optional<QByteArray>(qgetenv("ZUTOMELARK_DARK"))
                             : std::nullopt;
        zt::ColourSchemes::instance().apply(
            zt::forcedColourScheme(opts.dark, env).value_or(zt::loadColourScheme(dataDir)));
        zt::MainWindow window(dataDir);
        // Before start-up: a signal while a start-up warning is up ends the
        // box and then closes the window as its close box does.
        zt::closeOnTerminationSignals(&window);
        window.startUp();
        // A termination signal that ended a start-up warning closes the
        // window once the box is gone, as the close box would.
        QCoreApplication::sendPostedEvents();
        if (!window.isShutDown()) {
            window.show();
            const int status = app.exec();
            if (status != 0) return status;
        }
        return window.shutDownFailed() ? 1 : 0;
    } catch (const std::exception& ex) {
        showError(QString::fromUtf8(ex.what()));
    }
    return 1;
}
