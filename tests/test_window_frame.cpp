// The window under a real window manager: an X server (Xvfb) and openbox, started by the test,
// frame the window after it is shown, as a desktop does.

#include "WindowTestSupport.h"

#include <csignal>
#include <QTabWidget>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ortolan;

namespace {

// Starts a helper program that ends with this test, however the test ends, and whose output
// does not hold the test's own output open.
pid_t spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0)
        return pid < 0 ? 0 : pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd)
        dup2(null, fd);
    for (int fd = 3; fd < 256; ++fd)
        close(fd);
    execvp(args[0], args.data());
    _exit(127);
}

void stop(pid_t pid) {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

// Whether an X server answers on the display's socket.
bool answers(int display) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%d", display);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// Starts Xvfb on a display of its own and returns the display's number, or -1. A display another
// server holds makes Xvfb end at once; the next number is tried then.
int startXvfb(pid_t* pid) {
    for (int display = 100 + getpid() % 500, tries = 0; tries < 20; ++display, ++tries) {
        if (answers(display))
            continue;
        *pid = spawn({"Xvfb", ":" + std::to_string(display), "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        for (int i = 0; i < 200 && *pid; ++i) { // up to 10 s
            if (answers(display))
                return display;
            if (waitpid(*pid, nullptr, WNOHANG) == *pid)
                *pid = 0;
            else
                usleep(50000);
        }
        stop(*pid);
    }
    return -1;
}

// The gap between the bottom of the tab strip and the top of the status bar, in pixels.
int gapAboveStatus(const Ortolan& o) {
    return o.Status->y() - (o.TabStrip->y() + o.TabStrip->height());
}

} // namespace

class TestWindowFrame : public QObject {
    Q_OBJECT
private slots:
    void shouldLayOutTheFramedWindowAsTheDesignedOne() {
        test::Window w;
        Ortolan& o = w.start();
        // the design: the tab strip ends 90 twips above the status bar
        const int designGap = pixelsFromTwips(90, o.logicalDpiY());
        // openbox frames the window after it was first laid out
        QTRY_VERIFY_WITH_TIMEOUT(o.frameGeometry().height() > o.geometry().height(), 10000);
        QTest::qWait(200);
        const int treeHeight = o.Tree->height();
        o.resize(o.width(), o.height() + 40);
        QTRY_VERIFY_WITH_TIMEOUT(o.Tree->height() != treeHeight, 5000);
        QCOMPARE(o.Tree->height(), treeHeight + 40);
        QVERIFY(qAbs(gapAboveStatus(o) - designGap) <= 1);
        o.resize(o.width(), o.height() - 60);
        QTRY_VERIFY_WITH_TIMEOUT(o.Tree->height() == treeHeight - 20, 5000);
        QVERIFY(qAbs(gapAboveStatus(o) - designGap) <= 1);
    }
};

int main(int argc, char** argv) {
    pid_t xvfb = 0;
    const int display = startXvfb(&xvfb);
    if (display < 0) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // openbox frames only the windows mapped once it runs; it says when by running a command.
    const std::string ready = "/tmp/ortolan-openbox-ready-" + std::to_string(getpid());
    const pid_t openbox = spawn({"openbox", "--sm-disable", "--startup", "touch " + ready});
    for (int i = 0; i < 200 && access(ready.c_str(), F_OK) != 0; ++i)
        usleep(50000);
    unlink(ready.c_str());
    int result = 1;
    {
        QApplication app(argc, argv);
        TestWindowFrame test;
        result = QTest::qExec(&test, argc, argv);
    }
    stop(openbox);
    stop(xvfb);
    return result;
}

#include "test_window_frame.moc"
