// The preview window, the about box and the application icon.
#include "ShellTestSupport.h"

#include "base/Exceptions.h"
#include "image/BmpWriter.h"
#include "Layout.h"
#include "TesselAbout.h"
#include "TesselIcon.h"
#include "TesselPreview.h"

#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QSet>

#include <memory>
#include <vector>

using namespace tessel;
using namespace tessel::test;

namespace {

// A square bitmap whose top-left pixel is red and all others black.
void WriteRedCornerBitmap(const QString& path, uint16_t side)
{
    std::vector<uint8_t> raster(std::size_t(side) * side, 0);
    raster[0] = 1;
    BitmapPalette palette{};
    palette[3] = 255;  // index 1: red
    QVERIFY(WriteBmpFile(raster.data(), side, side, path.toStdString(), palette));
}

}  // namespace

class TestPreviewAndAbout : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch;
    QString small;
    QString large;
    std::unique_ptr<TTesselPreviewForm> preview;

    QLabel* Picture() const { return preview->findChild<QLabel*>(QStringLiteral("ImgPreview")); }

private slots:
    void initTestCase()
    {
        small = scratch.filePath(QStringLiteral("map32.bmp"));
        large = scratch.filePath(QStringLiteral("map256.bmp"));
        WriteRedCornerBitmap(small, 32);
        WriteRedCornerBitmap(large, 256);
    }

    void init() { preview = std::make_unique<TTesselPreviewForm>(); }
    void cleanup() { preview.reset(); }

    void eachPreviewFitsTheWindowToItsPictureAndShowsItAgainAfterClosing()
    {
        preview->ShowPreviewImage(small.toStdString());
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->size(), QSize(32, 32));
        QCOMPARE(Picture()->geometry(), QRect(0, 0, 32, 32));
        QCOMPARE(Picture()->pixmap().toImage().pixelColor(0, 0), QColor(Qt::red));
        QVERIFY(preview->close());
        QVERIFY(!preview->isVisible());

        preview->ShowPreviewImage(large.toStdString());
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->size(), QSize(256, 256));
        QCOMPARE(Picture()->geometry(), QRect(0, 0, 256, 256));
    }

    void aWindowIsCentredButNeverAboveOrLeftOfTheAvailableArea_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("position");
        const QRect screen(0, 0, 1280, 800);
        const QRect belowAPanel(0, 30, 1280, 770);
        QTest::newRow("fits") << screen << QSize(400, 300) << QPoint(439, 249);
        QTest::newRow("as large as the area") << screen << QSize(1280, 800) << QPoint(0, 0);
        QTest::newRow("one pixel higher than the area") << screen << QSize(1280, 801) << QPoint(0, 0);
        QTest::newRow("higher than the area") << screen << QSize(200, 2000) << QPoint(539, 0);
        QTest::newRow("wider than the area") << screen << QSize(2000, 200) << QPoint(0, 299);
        QTest::newRow("larger than the area") << screen << QSize(2000, 2000) << QPoint(0, 0);
        QTest::newRow("larger, below a panel") << belowAPanel << QSize(2000, 2000) << QPoint(0, 30);
        QTest::newRow("larger, on a second screen") << QRect(1280, 0, 1024, 768) << QSize(2000, 2000)
                                                    << QPoint(1280, 0);
    }

    void aWindowIsCentredButNeverAboveOrLeftOfTheAvailableArea()
    {
        QFETCH(QRect, available);
        QFETCH(QSize, size);
        QFETCH(QPoint, position);
        QCOMPARE(CentredPosition(available, size), position);
    }

    void aPreviewLargerThanTheScreenShowsItsTopLeftCorner()
    {
        const QString huge = scratch.filePath(QStringLiteral("map2000.bmp"));
        WriteRedCornerBitmap(huge, 2000);
        preview->ShowPreviewImage(huge.toStdString());
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->size(), QSize(2000, 2000));
        QCOMPARE(preview->frameGeometry().topLeft(), preview->screen()->availableGeometry().topLeft());
    }

    void aFileThatIsNotABitmapRaisesBeforeTheWindowChanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing file") << "missing.bmp" << QByteArray();
        QTest::newRow("text") << "notes.bmp" << QByteArray("not a bitmap at all");
        QTest::newRow("header cut short") << "short.bmp" << QByteArray("BM\x36\x04", 4);
    }

    void aFileThatIsNotABitmapRaisesBeforeTheWindowChanges()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = scratch.filePath(name);
        if (!content.isEmpty())
            WriteFile(path, content);

        QVERIFY_THROWS_EXCEPTION(Exception, preview->ShowPreviewImage(path.toStdString()));
        QVERIFY(!preview->isVisible());

        preview->ShowPreviewImage(small.toStdString());
        QVERIFY(preview->close());
        QVERIFY_THROWS_EXCEPTION(Exception, preview->ShowPreviewImage(path.toStdString()));
        QVERIFY(!preview->isVisible());
        QCOMPARE(preview->size(), QSize(32, 32));
        QCOMPARE(Picture()->pixmap().size(), QSize(32, 32));
    }

    void theAboutBoxClosesOnlyWithBack()
    {
        TTesselAboutForm about;
        bool stayedOpen = false;
        WhenModalOpens<TTesselAboutForm> user([&](TTesselAboutForm& box) {
            QTest::keyClick(&box, Qt::Key_Escape);
            box.close();
            stayedOpen = box.isVisible();
            Click(box, "Button1");
        });
        QCOMPARE(about.exec(), int(QDialog::Accepted));
        QVERIFY(user.WasRun());
        QVERIFY(stayedOpen);
    }

    void theIconIsAnOpaqueColouredPictureInEverySize()
    {
        const QIcon icon = TesselIcon();
        QVERIFY(!icon.isNull());
        for (int side : {16, 32, 48}) {
            const QImage picture = icon.pixmap(side, side).toImage();
            QCOMPARE(picture.size(), QSize(side, side));
            QSet<QRgb> colours;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    QCOMPARE(qAlpha(picture.pixel(x, y)), 255);
                    colours.insert(picture.pixel(x, y));
                }
            QVERIFY(colours.size() >= 4);
        }
    }
};

TESSEL_SHELL_TEST_MAIN(TestPreviewAndAbout)
#include "tst_preview_about.moc"
