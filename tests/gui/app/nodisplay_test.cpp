// The program without a display: one line on standard error and exit status
// 1, never Qt's abort with a core dump.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class NoDisplayTest : public QObject {
    Q_OBJECT

  private slots:
    void saysSoInOneLineAndEnds() {
        const QString program =
            QCoreApplication::applicationDirPath() + QStringLiteral("/zutomelark");
        if (!QFileInfo(program).isExecutable()) QSKIP("the program is not built");
        QTemporaryDir data;
        // No display at all, and a display that is not there.
        for (const char* display : {"", ":9876"}) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), data.path());
            if (*display)
                env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
            else
                env.remove(QStringLiteral("DISPLAY"));
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(program, {QStringLiteral("--data"), data.path() + QStringLiteral("/Data")});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit); // no abort, no core dump
            QCOMPARE(p.exitCode(), 1);
            QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
                     QStringLiteral("画面に接続できません (DISPLAY / WAYLAND_DISPLAY)\n"));
        }
    }
};

QTEST_GUILESS_MAIN(NoDisplayTest)
#include "nodisplay_test.moc"
