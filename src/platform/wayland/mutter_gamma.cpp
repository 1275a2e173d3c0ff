#include "platform/wayland/mutter_gamma.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QVariantMap>
#include <algorithm>

#include "platform/gamma_ramp.h"

namespace tintora::wayland {

namespace {

const QString Service = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString ObjectPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
const QString DisplayConfigInterface = QStringLiteral("org.gnome.Mutter.DisplayConfig");

// GetResources: serial, CRTCs, outputs, modes, the largest screen size.
const QString ResourcesSignature = QStringLiteral("ua(uxiiiiiuaua{sv})a(uxiausauaua{sv})a(uxuudu)ii");
const QString GammaSignature = QStringLiteral("aqaqaq");

// The largest ramp taken; Mutter's are 256 to 4096 entries.
constexpr int MostRampEntries = 65536;

// One channel of a GetCrtcGamma reply.
QList<ushort> channelOf(const QVariant& value)
{
    QList<ushort> entries;
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        qvariant_cast<QDBusArgument>(value) >> entries;
    else
        entries = qvariant_cast<QList<ushort>>(value);
    return entries;
}

} // namespace

MutterGamma::MutterGamma(const QDBusConnection& bus, std::chrono::milliseconds rampLifetime)
    : m_bus(bus), m_rampLifetime(rampLifetime)
{
    m_bus.connect(Service, ObjectPath, DisplayConfigInterface, QStringLiteral("MonitorsChanged"), this,
                  SLOT(monitorsChanged()));
}

void MutterGamma::monitorsChanged() { m_layoutStale = true; }

QDBusMessage MutterGamma::call(const QString& method, const QList<QVariant>& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(Service, ObjectPath, DisplayConfigInterface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, kCallTimeoutMs);
}

void MutterGamma::refreshLayoutIfChanged()
{
    if (!m_layoutStale) return;
    // Read once per change, whether or not it succeeds: a compositor that is
    // not Mutter costs one failed call, not one per tick.
    m_layoutStale = false;
    if (!readLayout()) m_crtcs.clear();
}

bool MutterGamma::readLayout()
{
    const QDBusMessage reply = call(QStringLiteral("GetResources"), {});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != ResourcesSignature) return false;
    const QList<QVariant> values = reply.arguments();

    std::vector<Crtc> crtcs;
    const QDBusArgument crtcList = qvariant_cast<QDBusArgument>(values.at(1));
    crtcList.beginArray();
    while (!crtcList.atEnd()) {
        uint id = 0, transform = 0;
        qlonglong winsysId = 0;
        int x = 0, y = 0, width = 0, height = 0, mode = -1;
        QList<uint> transforms;
        QVariantMap properties;
        crtcList.beginStructure();
        crtcList >> id >> winsysId >> x >> y >> width >> height >> mode >> transform >> transforms >> properties;
        crtcList.endStructure();
        // A CRTC without a mode shows nothing.
        if (mode < 0 || width <= 0 || height <= 0) continue;
        Crtc crtc;
        crtc.id = id;
        crtc.rect = {x, y, width, height};
        crtcs.push_back(std::move(crtc));
    }
    crtcList.endArray();

    const QDBusArgument outputList = qvariant_cast<QDBusArgument>(values.at(2));
    outputList.beginArray();
    while (!outputList.atEnd()) {
        uint id = 0;
        qlonglong winsysId = 0;
        int currentCrtc = -1;
        QList<uint> possibleCrtcs, modes, clones;
        QString name;
        QVariantMap properties;
        outputList.beginStructure();
        outputList >> id >> winsysId >> currentCrtc >> possibleCrtcs >> name >> modes >> clones >> properties;
        outputList.endStructure();
        // A CRTC driving clones is named after the first of them.
        const auto crtc = std::find_if(crtcs.begin(), crtcs.end(), [currentCrtc](const Crtc& c) {
            return currentCrtc >= 0 && c.id == static_cast<std::uint32_t>(currentCrtc);
        });
        if (crtc != crtcs.end() && crtc->output.empty()) crtc->output = name.toStdString();
    }
    outputList.endArray();

    m_serial = values.at(0).toUInt();
    m_crtcs = std::move(crtcs);
    return true;
}

MutterGamma::Crtc* MutterGamma::crtcAt(Point p)
{
    const auto it = std::find_if(m_crtcs.begin(), m_crtcs.end(), [p](const Crtc& c) { return c.rect.contains(p); });
    return it != m_crtcs.end() ? &*it : nullptr;
}

bool MutterGamma::refreshRamp(Crtc& crtc)
{
    if (crtc.read && Clock::now() - crtc.readAt < m_rampLifetime) return crtc.readable;
    crtc.readable = readRamp(crtc);
    crtc.read = true;
    crtc.readAt = Clock::now();
    return crtc.readable;
}

bool MutterGamma::readRamp(Crtc& crtc)
{
    QDBusMessage reply = call(QStringLiteral("GetCrtcGamma"), {QVariant::fromValue(m_serial), QVariant::fromValue(crtc.id)});
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")) {
        // The serial is stale: the layout changed and the signal saying so
        // is still on its way. The CRTC may be gone; the next call looks
        // again with the new layout.
        m_layoutStale = true;
        return false;
    }
    // A compositor too busy to answer in time: the ramp read before stays in
    // use until the next try.
    if (reply.type() == QDBusMessage::ErrorMessage &&
        (reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply") ||
         reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.Timeout")))
        return crtc.read && crtc.readable;
    // "Invalid crtc id" (a monitor without a CRTC) and every other failure:
    // no ramp.
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != GammaSignature) return false;
    const QList<QVariant> values = reply.arguments();
    const QList<ushort> red = channelOf(values.at(0));
    const QList<ushort> green = channelOf(values.at(1));
    const QList<ushort> blue = channelOf(values.at(2));
    const qsizetype size = red.size();
    if (size < 2 || size > MostRampEntries || green.size() != size || blue.size() != size) return false;
    resampleRamp(red.constData(), green.constData(), blue.constData(), static_cast<int>(size), crtc.reading.ramp);
    crtc.reading.output = crtc.output;
    crtc.reading.size = static_cast<int>(size);
    return true;
}

bool MutterGamma::rampAt(Point p, RampReading& reading)
{
    refreshLayoutIfChanged();
    Crtc* crtc = crtcAt(p);
    if (!crtc || !refreshRamp(*crtc)) return false;
    reading.ramp = crtc->reading.ramp;
    // Assigned only when it differs: a reading kept from tick to tick keeps
    // its storage.
    if (reading.output != crtc->reading.output) reading.output = crtc->reading.output;
    reading.size = crtc->reading.size;
    return true;
}

std::vector<RampReading> MutterGamma::allRamps()
{
    refreshLayoutIfChanged();
    std::vector<RampReading> ramps;
    for (Crtc& crtc : m_crtcs)
        if (refreshRamp(crtc)) ramps.push_back(crtc.reading);
    return ramps;
}

bool MutterGamma::canReadGammaRamp()
{
    refreshLayoutIfChanged();
    return std::any_of(m_crtcs.begin(), m_crtcs.end(), [this](Crtc& c) { return refreshRamp(c); });
}

} // namespace tintora::wayland
