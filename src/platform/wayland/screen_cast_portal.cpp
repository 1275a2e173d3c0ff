#include "platform/wayland/screen_cast_portal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

#include <iostream>

#include "platform/files.h"

namespace tintora::wayland {

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenCastInterface = QStringLiteral("org.freedesktop.portal.ScreenCast");

// The portal's numbers: a monitor as the source, the pointer as metadata of
// each frame, the consent kept until revoked.
constexpr uint MonitorSource = 1;
constexpr uint CursorAsMetadata = 4;
constexpr uint PersistUntilRevoked = 2;

// A restore token is a UUID; anything else in the file is not one and is
// not sent (the portal would refuse the whole request).
bool looksLikeToken(const std::string& text)
{
    if (text.size() != 36) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

std::string readToken(const std::string& file)
{
    std::string error;
    const auto text = readOwnFile(file, 64, error);
    if (!text) return {};
    std::string token = *text;
    while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
    return looksLikeToken(token) ? token : std::string();
}

// Keeps the token the portal gave for the next start; one that cannot be
// kept only means the user is asked again then, which is said.
void writeToken(const std::string& file, const std::string& token)
{
    if (!looksLikeToken(token) || readToken(file) == token) return;
    std::string error = file.empty() ? "no configuration directory" : "cannot make its folder";
    if (!file.empty() && makeParentDirectories(file) && replaceOwnFile(file, token + "\n", error)) return;
    std::cerr << "tintora: the consent to read the screen cannot be kept (" << error
              << "); it will be asked for again at the next start.\n";
}

QVariant portalProperty(const char* name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath,
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << ScreenCastInterface << QString::fromLatin1(name);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

// Two ints of a structure, as the portal gives positions and sizes.
std::optional<std::pair<int, int>> intPair(const QVariant& value)
{
    if (!value.canConvert<QDBusArgument>()) return std::nullopt;
    const QDBusArgument argument = value.value<QDBusArgument>();
    int first = 0, second = 0;
    argument.beginStructure();
    argument >> first >> second;
    argument.endStructure();
    return std::pair{first, second};
}

std::string text(const QString& s) { return s.toStdString(); }

} // namespace

std::optional<std::string> ScreenCastPortal::unavailableReason()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return "The session's D-Bus cannot be reached, so the desktop portal that lends the screen cannot be asked.";
    const QVariant version = portalProperty("version");
    if (!version.isValid())
        return "The desktop portal (xdg-desktop-portal) offers no ScreenCast here, so the screen cannot be read.";
    const QVariant sources = portalProperty("AvailableSourceTypes");
    const QVariant cursors = portalProperty("AvailableCursorModes");
    if (!(sources.toUInt() & MonitorSource))
        return "The desktop portal's ScreenCast cannot cast a monitor here, so the screen cannot be read.";
    if (!(cursors.toUInt() & CursorAsMetadata))
        return "The desktop portal's ScreenCast cannot tell the pointer's position here.";
    return std::nullopt;
}

std::unique_ptr<ScreenCastPortal> ScreenCastPortal::start(const std::string& tokenFile, std::string& error)
{
    if (const auto why = unavailableReason()) {
        error = *why;
        return nullptr;
    }
    std::unique_ptr<ScreenCastPortal> portal(new ScreenCastPortal);
    constexpr std::chrono::milliseconds Answer{15000};

    const auto created = portal->request(QStringLiteral("CreateSession"), {},
                                         {{QStringLiteral("session_handle_token"), QStringLiteral("tintora")}},
                                         Answer, error);
    if (!created) return nullptr;
    portal->m_session = created->value(QStringLiteral("session_handle")).toString();
    if (portal->m_session.isEmpty()) {
        error = "The desktop portal made no screen cast session.";
        return nullptr;
    }

    QVariantMap selection{{QStringLiteral("types"), MonitorSource},
                          {QStringLiteral("multiple"), false},
                          {QStringLiteral("cursor_mode"), CursorAsMetadata},
                          {QStringLiteral("persist_mode"), PersistUntilRevoked}};
    if (const std::string token = readToken(tokenFile); !token.empty())
        selection.insert(QStringLiteral("restore_token"), QString::fromStdString(token));
    const QVariant session = QVariant::fromValue(QDBusObjectPath(portal->m_session));
    if (!portal->request(QStringLiteral("SelectSources"), {session}, selection, Answer, error)) return nullptr;

    // The user may be asked: no deadline.
    const auto started = portal->request(QStringLiteral("Start"), {session, QString()}, {}, std::nullopt, error);
    if (!started) return nullptr;
    const QVariant streams = started->value(QStringLiteral("streams"));
    bool found = false;
    if (streams.canConvert<QDBusArgument>()) {
        const QDBusArgument list = streams.value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            uint node = 0;
            QVariantMap properties;
            list.beginStructure();
            list >> node >> properties;
            list.endStructure();
            if (found) continue; // one monitor was asked for
            found = true;
            portal->m_node = node;
            const auto position = intPair(properties.value(QStringLiteral("position")));
            const auto size = intPair(properties.value(QStringLiteral("size")));
            portal->m_area = {position ? position->first : 0, position ? position->second : 0,
                              size ? size->first : 0, size ? size->second : 0};
        }
        list.endArray();
    }
    if (!found) {
        error = "The desktop portal started the screen cast without a stream.";
        return nullptr;
    }
    writeToken(tokenFile, text(started->value(QStringLiteral("restore_token")).toString()));
    return portal;
}

ScreenCastPortal::~ScreenCastPortal()
{
    if (m_session.isEmpty()) return;
    QDBusMessage close = QDBusMessage::createMethodCall(PortalService, m_session,
                                                        QStringLiteral("org.freedesktop.portal.Session"),
                                                        QStringLiteral("Close"));
    QDBusConnection::sessionBus().call(close, QDBus::Block, 2000);
}

int ScreenCastPortal::openPipeWireRemote(std::string& error)
{
    QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenCastInterface,
                                                       QStringLiteral("OpenPipeWireRemote"));
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 15000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        error = "The desktop portal gave no PipeWire connection: " + text(reply.errorMessage());
        return -1;
    }
    const auto descriptor = reply.arguments().first().value<QDBusUnixFileDescriptor>();
    const int fd = descriptor.isValid() ? ::dup(descriptor.fileDescriptor()) : -1;
    if (fd < 0) error = "The desktop portal's PipeWire connection cannot be used.";
    return fd;
}

std::optional<QVariantMap> ScreenCastPortal::request(const QString& method, QList<QVariant> arguments,
                                                     QVariantMap options,
                                                     std::optional<std::chrono::milliseconds> deadline,
                                                     std::string& error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The Request object's path is known before the call, from the token:
    // listening first, no answer can come too early.
    const QString token = QStringLiteral("tintora%1").arg(++m_requests);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString requestPath = PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
    bus.connect(PortalService, requestPath, requestInterface, QStringLiteral("Response"), this,
                SLOT(onResponse(uint, QVariantMap)));
    m_answer.reset();

    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenCastInterface, method);
    arguments.append(options);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 15000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        bus.disconnect(PortalService, requestPath, requestInterface, QStringLiteral("Response"), this,
                       SLOT(onResponse(uint, QVariantMap)));
        error = "The desktop portal refused the screen cast (" + text(method) + "): " + text(reply.errorMessage());
        return std::nullopt;
    }

    QEventLoop wait;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &wait, &QEventLoop::quit);
    if (deadline) timer.start(*deadline);
    // A portal that goes away (it crashed, the session ends) never answers.
    bool portalGone = false;
    QDBusServiceWatcher watcher(PortalService, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &wait, [&] { portalGone = true; });
    while (!m_answer && !portalGone && (!deadline || timer.isActive()))
        wait.processEvents(QEventLoop::WaitForMoreEvents);
    bus.disconnect(PortalService, requestPath, requestInterface, QStringLiteral("Response"), this,
                   SLOT(onResponse(uint, QVariantMap)));
    if (!m_answer) {
        error = portalGone ? "The desktop portal went away before it answered the screen cast's " + text(method) + "."
                           : "The desktop portal did not answer the screen cast's " + text(method) + " in time.";
        return std::nullopt;
    }
    if (m_answer->first != 0) {
        error = m_answer->first == 1 ? "The screen cast was declined, so the screen cannot be read."
                                     : "The desktop portal ended the screen cast (" + text(method) + ").";
        return std::nullopt;
    }
    return m_answer->second;
}

void ScreenCastPortal::onResponse(uint response, const QVariantMap& results) { m_answer = {response, results}; }

} // namespace tintora::wayland
