// A stand-in for GNOME's org.gnome.Mutter.DisplayConfig, for the tests of
// the Wayland backend's ramp reading: it owns that name on the bus whose
// address it is given and answers GetResources and GetCrtcGamma with a known
// layout and known ramps, as Mutter 43 does (its errors included).
//
//   fake_mutter_display_config BUS_ADDRESS
//
// The test steers it through org.tintora.test.FakeDisplayConfig at /control.
//
// The layouts (CRTC: rectangle, output, ramp size):
//   first:  0: 0,0 1920x1080 "DP-1" 256;  1: 1920,0 2560x1440 "HDMI-1" 1024;
//           2: 4480,0 1280x720 "Virtual-1", no ramp ("Invalid crtc id");
//           3: not lit, no output
//   second: 0: 0,0 2560x1440 "HDMI-1" 1024
// Entry i of a ramp of n entries, with the shift set by SetRampShift (0 at
// the start), modulo 65536:
//   red   i * 65535 / (n - 1) + shift
//   green i * 65535 / (n - 1) / 2 + 1000 + shift
//   blue  65535 - i * 65535 / (n - 1) + shift

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMetaType>
#include <QMap>
#include <QVariantMap>
#include <algorithm>
#include <cstdio>

struct FakeCrtc {
    uint id = 0;
    qlonglong winsysId = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int currentMode = -1;
    uint transform = 0;
    QList<uint> transforms{0};
    QVariantMap properties;
    // Not sent: the ramp's size, 0 for a CRTC Mutter refuses.
    int rampSize = 0;
};

struct FakeOutput {
    uint id = 0;
    qlonglong winsysId = 0;
    int currentCrtc = -1;
    QList<uint> possibleCrtcs;
    QString name;
    QList<uint> modes, clones;
    QVariantMap properties;
};

struct FakeMode {
    uint id = 0;
    qlonglong winsysId = 0;
    uint width = 0, height = 0;
    double frequency = 60.0;
    uint flags = 0;
};

Q_DECLARE_METATYPE(FakeCrtc)
Q_DECLARE_METATYPE(FakeOutput)
Q_DECLARE_METATYPE(FakeMode)

QDBusArgument& operator<<(QDBusArgument& a, const FakeCrtc& c)
{
    a.beginStructure();
    a << c.id << c.winsysId << c.x << c.y << c.width << c.height << c.currentMode << c.transform << c.transforms
      << c.properties;
    a.endStructure();
    return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, FakeCrtc& c)
{
    a.beginStructure();
    a >> c.id >> c.winsysId >> c.x >> c.y >> c.width >> c.height >> c.currentMode >> c.transform >> c.transforms >>
        c.properties;
    a.endStructure();
    return a;
}

QDBusArgument& operator<<(QDBusArgument& a, const FakeOutput& o)
{
    a.beginStructure();
    a << o.id << o.winsysId << o.currentCrtc << o.possibleCrtcs << o.name << o.modes << o.clones << o.properties;
    a.endStructure();
    return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, FakeOutput& o)
{
    a.beginStructure();
    a >> o.id >> o.winsysId >> o.currentCrtc >> o.possibleCrtcs >> o.name >> o.modes >> o.clones >> o.properties;
    a.endStructure();
    return a;
}

QDBusArgument& operator<<(QDBusArgument& a, const FakeMode& m)
{
    a.beginStructure();
    a << m.id << m.winsysId << m.width << m.height << m.frequency << m.flags;
    a.endStructure();
    return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, FakeMode& m)
{
    a.beginStructure();
    a >> m.id >> m.winsysId >> m.width >> m.height >> m.frequency >> m.flags;
    a.endStructure();
    return a;
}

namespace {

FakeCrtc litCrtc(uint id, int x, int y, int width, int height, int rampSize)
{
    FakeCrtc c;
    c.id = id;
    c.winsysId = 100 + id;
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
    c.currentMode = static_cast<int>(id);
    c.rampSize = rampSize;
    return c;
}

FakeOutput outputOn(uint id, int crtc, const QString& name)
{
    FakeOutput o;
    o.id = id;
    o.winsysId = 200 + id;
    o.currentCrtc = crtc;
    o.possibleCrtcs = {static_cast<uint>(crtc)};
    o.name = name;
    o.modes = {static_cast<uint>(crtc)};
    return o;
}

} // namespace

// The DisplayConfig object: Mutter's methods and signal.
class DisplayConfig : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.DisplayConfig")
public:
    uint serial = 1;
    quint16 shift = 0;
    QList<FakeCrtc> crtcs;
    QList<FakeOutput> outputs;
    QList<FakeMode> modes;
    QMap<QString, uint> calls;

    void setFirstLayout()
    {
        FakeCrtc unlit;
        unlit.id = 3;
        unlit.winsysId = 103;
        crtcs = {litCrtc(0, 0, 0, 1920, 1080, 256), litCrtc(1, 1920, 0, 2560, 1440, 1024),
                 litCrtc(2, 4480, 0, 1280, 720, 0), unlit};
        outputs = {outputOn(0, 0, QStringLiteral("DP-1")), outputOn(1, 1, QStringLiteral("HDMI-1")),
                   outputOn(2, 2, QStringLiteral("Virtual-1"))};
        modes = {{0, 300, 1920, 1080, 60.0, 0}, {1, 301, 2560, 1440, 60.0, 0}, {2, 302, 1280, 720, 60.0, 0}};
    }

    void setSecondLayout()
    {
        crtcs = {litCrtc(0, 0, 0, 2560, 1440, 1024)};
        outputs = {outputOn(0, 0, QStringLiteral("HDMI-1"))};
        modes = {{0, 301, 2560, 1440, 60.0, 0}};
    }

public slots:
    uint GetResources(QList<FakeCrtc>& crtcsOut, QList<FakeOutput>& outputsOut, QList<FakeMode>& modesOut,
                      int& maxWidth, int& maxHeight)
    {
        ++calls[QStringLiteral("GetResources")];
        crtcsOut = crtcs;
        outputsOut = outputs;
        modesOut = modes;
        maxWidth = maxHeight = 8192;
        return serial;
    }

    QList<ushort> GetCrtcGamma(uint callerSerial, uint crtc, QList<ushort>& green, QList<ushort>& blue)
    {
        ++calls[QStringLiteral("GetCrtcGamma")];
        // Mutter's own checks and wording.
        if (callerSerial != serial) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("The requested configuration is based on stale information"));
            return {};
        }
        const auto it = std::find_if(crtcs.begin(), crtcs.end(), [crtc](const FakeCrtc& c) { return c.id == crtc; });
        if (it == crtcs.end() || it->rampSize == 0) {
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Invalid crtc id"));
            return {};
        }
        const int n = it->rampSize;
        QList<ushort> red;
        green.clear();
        blue.clear();
        for (int i = 0; i < n; ++i) {
            const int v = i * 65535 / (n - 1);
            red.push_back(static_cast<ushort>(v + shift));
            green.push_back(static_cast<ushort>(v / 2 + 1000 + shift));
            blue.push_back(static_cast<ushort>(65535 - v + shift));
        }
        return red;
    }

signals:
    void MonitorsChanged();
};

// What the test steers.
class Control : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tintora.test.FakeDisplayConfig")
public:
    explicit Control(DisplayConfig& config) : m_config(config) {}

public slots:
    // Adds shift to every ramp entry from now on (no signal: Mutter sends
    // none for a ramp).
    void SetRampShift(uint shift) { m_config.shift = static_cast<quint16>(shift); }
    // Puts the second layout in place with a new serial; announced with
    // MonitorsChanged only when announce is true.
    void ChangeLayout(bool announce)
    {
        m_config.setSecondLayout();
        ++m_config.serial;
        if (announce) emit m_config.MonitorsChanged();
    }
    // How often a method of DisplayConfig has been called.
    uint Calls(const QString& method) { return m_config.calls.value(method); }

private:
    DisplayConfig& m_config;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s BUS_ADDRESS\n", argv[0]);
        return 2;
    }
    qDBusRegisterMetaType<FakeCrtc>();
    qDBusRegisterMetaType<FakeOutput>();
    qDBusRegisterMetaType<FakeMode>();
    qDBusRegisterMetaType<QList<FakeCrtc>>();
    qDBusRegisterMetaType<QList<FakeOutput>>();
    qDBusRegisterMetaType<QList<FakeMode>>();
    qDBusRegisterMetaType<QList<ushort>>();

    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), QStringLiteral("fake"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no bus at %s\n", argv[1]);
        return 1;
    }
    DisplayConfig config;
    config.setFirstLayout();
    Control control(config);
    const bool registered =
        bus.registerObject(QStringLiteral("/org/gnome/Mutter/DisplayConfig"), &config,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
        bus.registerObject(QStringLiteral("/control"), &control, QDBusConnection::ExportAllSlots);
    // The name last: whoever sees it owned finds everything in place.
    if (!registered || !bus.registerService(QStringLiteral("org.gnome.Mutter.DisplayConfig"))) {
        std::fprintf(stderr, "cannot serve on %s\n", argv[1]);
        return 1;
    }
    return app.exec();
}

#include "fake_mutter_display_config.moc"
