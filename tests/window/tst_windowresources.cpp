#include "filecontents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QResource>
#include <QTest>
#include <QXmlStreamReader>
#include <QtEndian>

namespace {

const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);

struct PngHeader
{
    quint32 width = 0;
    quint32 height = 0;
    int bitDepth = -1;
    int colourType = -1;
    int interlace = -1;
};

// Reads the IHDR chunk, which the format requires to come first.
PngHeader pngHeader(const QByteArray &png)
{
    PngHeader header;
    if (!png.startsWith(pngSignature) || png.size() < 29 || png.mid(12, 4) != "IHDR")
        return header;
    const auto data = reinterpret_cast<const uchar *>(png.constData());
    header.width = qFromBigEndian<quint32>(data + 16);
    header.height = qFromBigEndian<quint32>(data + 20);
    header.bitDepth = data[24];
    header.colourType = data[25];
    header.interlace = data[28];
    return header;
}

struct ManifestElement
{
    QString path;
    QString namespaceUri;
    QXmlStreamAttributes attributes;
    QString text;
    int childCount = 0;
};

} // namespace

class TestWindowResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void logoIsRegisteredUncompressed();
    void logoIsRgbaPng();
    void manifestDeclaresDocument();
    void manifestHasField_data();
    void manifestHasField();
    void manifestNamespaces();
    void manifestDependencyIsEmpty();
    void resourceScriptNamesIconAndManifest();
    void iconHoldsOnePngOf256();

private:
    QList<ManifestElement> manifest;
    QString xmlVersion;
    QString xmlEncoding;
    bool xmlStandalone = false;
    const ManifestElement *element(const QString &path) const;
};

void TestWindowResources::initTestCase()
{
    QFile file(QStringLiteral(REPAIRTOOL_MANIFEST));
    QVERIFY2(file.open(QIODevice::ReadOnly), REPAIRTOOL_MANIFEST);
    QXmlStreamReader xml(&file);
    QStringList path;
    QList<int> open;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartDocument:
            xmlVersion = xml.documentVersion().toString();
            xmlEncoding = xml.documentEncoding().toString();
            xmlStandalone = xml.isStandaloneDocument();
            break;
        case QXmlStreamReader::StartElement:
            if (!open.isEmpty())
                ++manifest[open.last()].childCount;
            path.append(xml.name().toString());
            manifest.append({ path.join(QLatin1Char('/')), xml.namespaceUri().toString(),
                              xml.attributes(), QString(), 0 });
            open.append(manifest.size() - 1);
            break;
        case QXmlStreamReader::Characters:
            if (!open.isEmpty())
                manifest[open.last()].text += xml.text();
            break;
        case QXmlStreamReader::EndElement:
            path.removeLast();
            open.removeLast();
            break;
        default:
            break;
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

const ManifestElement *TestWindowResources::element(const QString &path) const
{
    for (const ManifestElement &candidate : manifest) {
        if (candidate.path == path)
            return &candidate;
    }
    return nullptr;
}

void TestWindowResources::logoIsRegisteredUncompressed()
{
    // Nothing in this program registers the bundle by hand: linking the tool's library must.
    const QResource logo(QStringLiteral(":/images/kormand_logo_repairtool.png"));
    QVERIFY(logo.isValid());
#if QT_VERSION >= QT_VERSION_CHECK(5, 13, 0)
    QCOMPARE(logo.compressionAlgorithm(), QResource::NoCompression);
#else
    QVERIFY(!logo.isCompressed());
#endif
    const QByteArray stored(reinterpret_cast<const char *>(logo.data()), int(logo.size()));
    QVERIFY(stored.startsWith(pngSignature));
}

void TestWindowResources::logoIsRgbaPng()
{
    QFile file(QStringLiteral(":/images/kormand_logo_repairtool.png"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const PngHeader header = pngHeader(file.readAll());
    QCOMPARE(header.width, 400u);
    QCOMPARE(header.height, 307u);
    QCOMPARE(header.bitDepth, 8);
    QCOMPARE(header.colourType, 6); // truecolour with alpha
    QCOMPARE(header.interlace, 0);

    const QImage image(file.fileName());
    QCOMPARE(image.size(), QSize(400, 307));
    QVERIFY(image.hasAlphaChannel());
}

void TestWindowResources::manifestDeclaresDocument()
{
    QCOMPARE(xmlVersion, QStringLiteral("1.0"));
    QCOMPARE(xmlEncoding, QStringLiteral("utf-8"));
    QVERIFY(xmlStandalone);
}

void TestWindowResources::manifestHasField_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("value");

    const QString identity = QStringLiteral("assembly/assemblyIdentity");
    const QString level = QStringLiteral(
            "assembly/trustInfo/security/requestedPrivileges/requestedExecutionLevel");
    QTest::newRow("manifestVersion") << QStringLiteral("assembly")
                                     << QStringLiteral("manifestVersion") << QStringLiteral("1.0");
    QTest::newRow("version") << identity << QStringLiteral("version") << QStringLiteral("2.0.0.0");
    QTest::newRow("processorArchitecture")
            << identity << QStringLiteral("processorArchitecture") << QStringLiteral("x86");
    QTest::newRow("name") << identity << QStringLiteral("name")
                          << QStringLiteral("kormand_repair_tool.myapp");
    QTest::newRow("type") << identity << QStringLiteral("type") << QStringLiteral("win32");
    QTest::newRow("description") << QStringLiteral("assembly/description") << QString()
                                 << QStringLiteral("Kormand RepairTool");
    QTest::newRow("level") << level << QStringLiteral("level")
                           << QStringLiteral("requireAdministrator");
    QTest::newRow("uiAccess") << level << QStringLiteral("uiAccess") << QStringLiteral("false");
}

void TestWindowResources::manifestHasField()
{
    QFETCH(QString, path);
    QFETCH(QString, attribute);
    QFETCH(QString, value);

    const ManifestElement *found = element(path);
    QVERIFY2(found, qPrintable(path));
    if (attribute.isEmpty()) {
        QCOMPARE(found->text, value);
    } else {
        QVERIFY2(found->attributes.hasAttribute(attribute), qPrintable(attribute));
        QCOMPARE(found->attributes.value(attribute).toString(), value);
    }
}

void TestWindowResources::manifestNamespaces()
{
    const QString asmV1 = QStringLiteral("urn:schemas-microsoft-com:asm.v1");
    const QString asmV2 = QStringLiteral("urn:schemas-microsoft-com:asm.v2");
    QCOMPARE(manifest.first().path, QStringLiteral("assembly"));
    for (const ManifestElement &each : manifest) {
        const bool trust = each.path.startsWith(QLatin1String("assembly/trustInfo"));
        QCOMPARE(each.namespaceUri, trust ? asmV2 : asmV1);
    }
}

void TestWindowResources::manifestDependencyIsEmpty()
{
    const ManifestElement *dependency = element(QStringLiteral("assembly/dependency"));
    QVERIFY(dependency);
    QCOMPARE(dependency->childCount, 0);
    QVERIFY(dependency->attributes.isEmpty());
    QVERIFY(dependency->text.trimmed().isEmpty());
}

void TestWindowResources::resourceScriptNamesIconAndManifest()
{
    const QString script = QString::fromUtf8(readFile(QStringLiteral(REPAIRTOOL_RESOURCE_SCRIPT)));
    QVERIFY(!script.isEmpty());
    const QDir scriptDir = QFileInfo(QStringLiteral(REPAIRTOOL_RESOURCE_SCRIPT)).dir();

    // windres resolves the quoted names relative to the script.
    const QRegularExpression icon(QStringLiteral("^IDI_ICON1\\s+ICON\\s+\"([^\"]+)\"\\s*$"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch iconMatch = icon.match(script);
    QVERIFY(iconMatch.hasMatch());
    QCOMPARE(QFileInfo(scriptDir.filePath(iconMatch.captured(1))).canonicalFilePath(),
             QFileInfo(QStringLiteral(REPAIRTOOL_ICON)).canonicalFilePath());

    // Resource 1 of type 24 (RT_MANIFEST) is the manifest Windows reads before start.
    const QRegularExpression manifestLine(QStringLiteral("^1\\s+24\\s+\"([^\"]+)\"\\s*$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch manifestMatch = manifestLine.match(script);
    QVERIFY(manifestMatch.hasMatch());
    QCOMPARE(QFileInfo(scriptDir.filePath(manifestMatch.captured(1))).canonicalFilePath(),
             QFileInfo(QStringLiteral(REPAIRTOOL_MANIFEST)).canonicalFilePath());

    // English (United States), language 1033.
    QVERIFY(script.contains(QRegularExpression(QStringLiteral("^LANGUAGE\\s+0x09,\\s*0x01\\s*$"),
                                               QRegularExpression::MultilineOption)));
}

void TestWindowResources::iconHoldsOnePngOf256()
{
    const QByteArray ico = readFile(QStringLiteral(REPAIRTOOL_ICON));
    QVERIFY(ico.size() > 22);
    const auto data = reinterpret_cast<const uchar *>(ico.constData());
    QCOMPARE(qFromLittleEndian<quint16>(data + 2), quint16(1)); // an icon, not a cursor
    QCOMPARE(qFromLittleEndian<quint16>(data + 4), quint16(1)); // one image
    QCOMPARE(int(data[6]), 0);                                  // 0 stands for 256 pixels
    QCOMPARE(int(data[7]), 0);
    QCOMPARE(qFromLittleEndian<quint16>(data + 12), quint16(32));
    const quint32 size = qFromLittleEndian<quint32>(data + 14);
    const quint32 offset = qFromLittleEndian<quint32>(data + 18);
    QCOMPARE(qint64(offset) + size, qint64(ico.size()));

    const PngHeader header = pngHeader(ico.mid(int(offset), int(size)));
    QCOMPARE(header.width, 256u);
    QCOMPARE(header.height, 256u);
    QCOMPARE(header.bitDepth, 8);
    QCOMPARE(header.colourType, 6);
}

QTEST_MAIN(TestWindowResources)
#include "tst_windowresources.moc"
