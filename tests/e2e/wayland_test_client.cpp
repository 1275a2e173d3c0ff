// A client of a headless GNOME session for the Wayland tests: a full-screen
// window of two known colours (left half, right half), and the pointer moved
// where the test asks through Mutter's RemoteDesktop.
//
//   wayland_test_client LEFT RIGHT MOVES
//   wayland_test_client LEFT RIGHT
// LEFT and RIGHT are RRGGBB; MOVES is a file the test appends "x y" lines to.
// Prints "ready" once the window has painted and the pointer can be moved,
// then "moved x y" after each move. Without MOVES (a wlroots compositor,
// whose tests move the pointer themselves) only the window.

#include <QApplication>
#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <iostream>

namespace {

const QString Mutter = QStringLiteral("org.gnome.Mutter");

QDBusMessage call(const QString& service, const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        std::cerr << "wayland_test_client: " << method.toStdString() << ": " << reply.errorMessage().toStdString()
                  << std::endl;
    return reply;
}

QString firstPath(const QDBusMessage& reply)
{
    return reply.arguments().isEmpty() ? QString() : reply.arguments().first().value<QDBusObjectPath>().path();
}

// A RemoteDesktop session with a screen cast of the monitor, whose stream
// absolute pointer motion is given in.
struct PointerMover {
    QString session;
    QString stream;

    bool start()
    {
        session = firstPath(call(Mutter + ".RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                                 Mutter + ".RemoteDesktop", "CreateSession"));
        if (session.isEmpty()) return false;
        const QDBusMessage id = call(Mutter + ".RemoteDesktop", session, "org.freedesktop.DBus.Properties", "Get",
                                     {Mutter + ".RemoteDesktop.Session", QStringLiteral("SessionId")});
        if (id.arguments().isEmpty()) return false;
        const QString sessionId = id.arguments().first().value<QDBusVariant>().variant().toString();
        const QString castSession = firstPath(
            call(Mutter + ".ScreenCast", "/org/gnome/Mutter/ScreenCast", Mutter + ".ScreenCast", "CreateSession",
                 {QVariantMap{{QStringLiteral("remote-desktop-session-id"), sessionId}}}));
        if (castSession.isEmpty()) return false;
        stream = firstPath(call(Mutter + ".ScreenCast", castSession, Mutter + ".ScreenCast.Session", "RecordMonitor",
                                {QString(), QVariantMap()}));
        if (stream.isEmpty()) return false;
        return call(Mutter + ".RemoteDesktop", session, Mutter + ".RemoteDesktop.Session", "Start").type() ==
               QDBusMessage::ReplyMessage;
    }

    bool moveTo(double x, double y)
    {
        return call(Mutter + ".RemoteDesktop", session, Mutter + ".RemoteDesktop.Session",
                    "NotifyPointerMotionAbsolute", {stream, x, y})
                   .type() == QDBusMessage::ReplyMessage;
    }
};

class TwoColours : public QWidget {
public:
    TwoColours(QColor left, QColor right) : m_left(left), m_right(right) {}
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(0, 0, width() / 2, height(), m_left);
        p.fillRect(width() / 2, 0, width() - width() / 2, height(), m_right);
        painted = true;
    }

private:
    QColor m_left, m_right;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "wayland");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    if (argc != 4 && argc != 3) {
        std::cerr << "usage: wayland_test_client LEFT RIGHT [MOVES]\n";
        return 2;
    }
    TwoColours window(QColor(QStringLiteral("#") + argv[1]), QColor(QStringLiteral("#") + argv[2]));
    window.showFullScreen();
    if (argc == 3) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!window.painted) return;
            poll.stop();
            std::cout << "ready" << std::endl;
        });
        poll.start(20);
        return app.exec();
    }

    PointerMover mover;
    if (!mover.start()) return 1;

    // GNOME starts in its overview, which shows windows shrunk: leave it.
    call(QStringLiteral("org.gnome.Shell"), "/org/gnome/Shell", "org.freedesktop.DBus.Properties", "Set",
         {QStringLiteral("org.gnome.Shell"), QStringLiteral("OverviewActive"), QVariant::fromValue(QDBusVariant(false))});

    const QString movesPath = QString::fromLocal8Bit(argv[3]);
    qint64 movesRead = 0;
    bool announced = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!announced && window.painted) {
            announced = true;
            std::cout << "ready" << std::endl;
        }
        QFile moves(movesPath);
        if (!moves.open(QIODevice::ReadOnly) || !moves.seek(movesRead)) return;
        for (QByteArray line = moves.readLine(); line.endsWith('\n'); line = moves.readLine()) {
            movesRead += line.size();
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.size() != 2) continue;
            const double x = words[0].toDouble(), y = words[1].toDouble();
            if (mover.moveTo(x, y)) std::cout << "moved " << x << ' ' << y << std::endl;
        }
    });
    poll.start(20);
    return app.exec();
}
