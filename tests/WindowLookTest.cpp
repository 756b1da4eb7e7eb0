#include "app/Main.h"
#include "app/QueueCellDelegate.h"
#include "app/TextFit.h"
#include "app/WindowFont.h"
#include "controls/EzRgnBtn.h"
#include "controls/MouseLabel.h"
#include "model/QueueModel.h"
#include "platform/Prompt.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Luminance(QColor c)
{
    const auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The contrast ratio of two colours as WCAG defines it: 1 (none) to 21.
double Contrast(QColor a, QColor b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The worst contrast of `text` against any pixel of `picture` within `rect`.
double WorstContrastOn(const QImage& picture, const QRect& rect, QColor text)
{
    double worst = 21;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            worst = qMin(worst, Contrast(text, picture.pixelColor(x, y)));
    return worst;
}

// A cell's most common colour: its background.
QRgb MostCommonColour(const QImage& image, const QRect& cell)
{
    QHash<QRgb, int> counts;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), background = it.key();
    return background;
}

// A finished row, as a run leaves it.
void AppendDone(QueueModel& queue, const QString& path)
{
    queue.append(path, 10);
    queue.setState(queue.count() - 1, RowState::Done);
    queue.setConvertedFile(queue.count() - 1, "AVI");
}

// The contrast of drawn text against its background: the cell's most common
// colour is the background, its pixel farthest from that the ink.
double InkContrast(const QImage& image, const QRect& cell)
{
    const QRgb background = MostCommonColour(image, cell);
    double best = 1;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            best = qMax(best, Contrast(QColor(background), QColor(image.pixel(x, y))));
    return best;
}

QPalette DarkPalette()
{
    // The colours of a dark desktop theme (Adwaita's dark variant).
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35));
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::WindowText, QColor(0xee, 0xee, 0xec));
        dark.setColor(group, QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
        dark.setColor(group, QPalette::Text, Qt::white);
        dark.setColor(group, QPalette::ButtonText, QColor(0xee, 0xee, 0xec));
        dark.setColor(group, QPalette::Highlight, QColor(0x15, 0x53, 0x9e));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    return dark;
}

// Keeps the application's palette for the test and gives it back afterwards.
struct PaletteScope
{
    QPalette saved = QApplication::palette();
    ~PaletteScope() { QApplication::setPalette(saved); }
};

struct FontFolderScope
{
    QString saved = WindowFontFolder();
    ~FontFolderScope() { SetWindowFontFolder(saved); }
};

// Captions, links, text fields, buttons and the list's cells keep at least 4.5:1
// under a light and a dark desktop palette, set before the window is made or
// changed while it is open.
TEST(WindowLook, EveryTextIsReadableInLightAndDarkPalettes)
{
    PaletteScope restore;
    const QPalette light = QApplication::style()->standardPalette();
    struct Case
    {
        const char* name;
        QPalette before;
        QPalette after;
    };
    for (const Case& c :
         {Case{"light", light, light}, Case{"dark", DarkPalette(), DarkPalette()},
          Case{"light, then dark", light, DarkPalette()}, Case{"dark, then light", DarkPalette(), light}}) {
        SCOPED_TRACE(c.name);
        QApplication::setPalette(c.before);
        TfrmMain window;
        QueueModel& queue = window.queue();
        AppendDone(queue, "/videos/done.flv");
        queue.append("/videos/running.flv", 10);
        queue.setState(1, RowState::Converting, 42);
        queue.append("/videos/waiting.flv", 10);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setPalette(c.after);
        QApplication::processEvents();

        double worst = 21;
        const auto check = [&](double ratio, const QString& what) {
            EXPECT_GE(ratio, 4.5) << what.toStdString();
            worst = qMin(worst, ratio);
        };
        const QImage skin = window.Image1->pixmap().toImage();
        const QList<QLabel*> labels = window.findChildren<QLabel*>(QRegularExpression("^Label\\d+$"));
        EXPECT_EQ(labels.size(), 13);
        for (QLabel* label : labels) {
            const QColor text = label->palette().color(QPalette::Active, label->foregroundRole());
            check(WorstContrastOn(skin, label->geometry(), text), label->objectName());
        }
        for (QLineEdit* edit : {window.Edit1, window.Edit2, window.Edit3})
            check(Contrast(edit->palette().color(QPalette::Text), edit->palette().color(QPalette::Base)),
                  edit->objectName());
        for (QPushButton* button : {window.Button1, window.Button2, window.Button3})
            check(InkContrast(button->grab().toImage(), button->rect().adjusted(8, 6, -8, -6)), button->objectName());

        // The cells as drawn, the middle row selected, and the header's captions.
        QTreeView* list = window.ListView1;
        list->setCurrentIndex(queue.index(1, 0));
        QApplication::processEvents();
        const QImage cells = list->viewport()->grab().toImage();
        for (int row = 0; row < queue.count(); ++row) {
            for (int column = 0; column < QueueModel::ColumnCount; ++column) {
                const QModelIndex index = queue.index(row, column);
                if (index.data().toString().isEmpty())
                    continue;
                check(InkContrast(cells, list->visualRect(index).adjusted(1, 0, -1, 0)),
                      QString("cell %1,%2").arg(row).arg(column));
            }
        }
        const QImage header = list->header()->grab().toImage();
        for (int column = 0; column < QueueModel::ColumnCount; ++column) {
            const QHeaderView* h = list->header();
            const QRect section(h->sectionViewportPosition(column), 0, h->sectionSize(column), h->height());
            check(InkContrast(header, section.adjusted(2, 2, -2, -2)), QString("header %1").arg(column));
        }
        RecordProperty(QString("worst contrast, %1").arg(c.name).toStdString(),
                       QString::number(worst, 'f', 2).toStdString());
    }
}

// With Tahoma and with the system's fallback font, every caption, link and
// header caption fits, no two labels overlap, and every label keeps its left edge.
TEST(WindowLook, EveryTextFitsWithTahomaAndWithTheFallbackFont)
{
    FontFolderScope restore;
    const QTemporaryDir noFonts;
    struct Case
    {
        const char* name;
        QString folder;
        bool tahoma;
    };
    const QString wine = "/usr/share/wine/fonts";
    ASSERT_TRUE(QFile::exists(wine + "/tahoma.ttf")) << "fonts-wine is not installed";
    for (const Case& c : {Case{"fallback", noFonts.path(), false}, Case{"Tahoma", wine, true}}) {
        SCOPED_TRACE(c.name);
        SetWindowFontFolder(c.folder);
        TfrmMain window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(QFontInfo(window.Label10->font()).family() == "Tahoma", c.tahoma);

        const std::pair<const char*, QPoint> places[]
            = {{"Label1", {158, 16}},  {"Label2", {281, 16}},  {"Label3", {382, 16}},  {"Label4", {19, 450}},
               {"Label5", {138, 450}}, {"Label6", {240, 450}}, {"Label7", {366, 450}}, {"Label8", {374, 428}},
               {"Label9", {436, 428}}, {"Label10", {16, 64}},  {"Label11", {16, 102}}, {"Label12", {16, 139}},
               {"Label13", {16, 179}}};
        QList<QLabel*> labels;
        for (const auto& [name, pos] : places) {
            auto* label = window.findChild<QLabel*>(name);
            ASSERT_NE(label, nullptr) << name;
            labels << label;
            EXPECT_EQ(label->pos(), pos) << name;
            EXPECT_LE(label->sizeHint().width(), label->width()) << name << " is cut off";
            EXPECT_LE(label->geometry().right(), 487) << name;
        }
        for (QLabel* a : labels)
            for (QLabel* b : labels)
                EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " runs into " << b->objectName().toStdString();
        for (QLabel* link : {static_cast<QLabel*>(window.Label1), static_cast<QLabel*>(window.Label2),
                             static_cast<QLabel*>(window.Label3)})
            EXPECT_FALSE(link->geometry().intersects(window.EzRgnBtn1->geometry())) << link->objectName().toStdString();

        // The header elides a caption that does not fit its section.
        const QHeaderView* header = window.ListView1->header();
        int total = 0;
        for (int column = 0; column < QueueModel::ColumnCount; ++column) {
            QStyleOptionHeader option;
            option.initFrom(header);
            option.section = column;
            option.rect = QRect(0, 0, header->sectionSize(column), header->height());
            const QRect room = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
            const QString caption = QueueModel::columnCaption(column);
            EXPECT_EQ(header->fontMetrics().elidedText(caption, Qt::ElideRight, room.width() - 4), caption);
            EXPECT_GE(header->sectionSize(column), QueueModel::columnWidth(column));
            total += header->sectionSize(column);
        }
        EXPECT_LE(total, window.ListView1->viewport()->width());
    }
}

// A text wider than its room is set smaller rather than moved or cut.
TEST(WindowLook, TextIsWidenedThenSetSmallerToFitItsRoom)
{
    struct Case
    {
        const char* name;
        int width;   // as laid out
        int spacing; // extra pixels between letters: a wider font
        int right;
        bool smaller;
    };
    const Case cases[] = {
        {"fits as laid out", 120, 0, 300, false},
        {"widened into free room", 30, 0, 300, false},
        {"set smaller where the room ends", 30, 3, 150, true},
    };
    QWidget parent;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QLabel label("MP4 Converter", &parent);
        QFont font = WindowFont();
        font.setBold(true);
        font.setLetterSpacing(QFont::AbsoluteSpacing, c.spacing);
        label.setFont(font);
        label.setGeometry(40, 10, c.width, 13);
        TextFit::Label(&label, c.width, c.right);
        EXPECT_EQ(label.pos(), QPoint(40, 10));
        EXPECT_EQ(label.height(), 13);
        EXPECT_GE(label.width(), c.width);
        EXPECT_LE(label.geometry().right(), qMax(c.right, 40 + c.width));
        EXPECT_LE(label.sizeHint().width(), label.width());
        EXPECT_EQ(label.font().pixelSize() < 11, c.smaller);
    }
}

// Bold captions and links read as bold at normal and at double scale: drawn
// by the labels themselves, their letters carry clearly more ink than the
// regular face's (Wine's own bold Tahoma face carries none, and the bold made
// from the regular face thins out at 2x unless helped).
TEST(WindowLook, BoldTextIsDrawnHeavierThanRegular)
{
    TfrmMain window;
    QLabel* bold = window.Label1;
    QLabel* regular = window.Label10;
    regular->setText(bold->text());
    regular->resize(bold->size());
    const auto ink = [](QLabel* label, qreal scale) {
        QImage image(label->size() * scale, QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        label->render(&image, {}, {}, QWidget::DrawChildren);
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += 255 - qGray(image.pixel(x, y));
        return sum;
    };
    for (const qreal scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        const double ratio = ink(bold, scale) / ink(regular, scale);
        RecordProperty(QString("bold to regular ink at %1x").arg(scale).toStdString(),
                       QString::number(ratio, 'f', 2).toStdString());
        EXPECT_GE(ratio, 1.4);
    }
}

// The ink of a cell: the pixels that differ from its background, the cell's
// most common colour, by at least `apart` (contrast ratio).
QList<QPoint> InkOf(const QImage& image, const QRect& cell, double apart = 3)
{
    const QRgb background = MostCommonColour(image, cell);
    QList<QPoint> ink;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (Contrast(QColor(image.pixel(x, y)), QColor(background)) >= apart)
                ink << QPoint(x, y);
    return ink;
}

// A failed row reads "Failed" in red and its reason in the Converted File
// cell, cut to fit; a screen reader gets the reason as that cell's
// description, and the tooltip shows the whole text while another window is
// active. Selected or not, both stay readable.
TEST(WindowLook, FailedRowShowsItsReasonInRed)
{
    const QString reason = "ffmpeg ended with code 1: Invalid data found when processing input, the file is damaged";
    // A name ffmpeg repeats may look like markup; it is shown as written.
    const QString detail = reason + "\n[flv @ 0x1] <b>clip</b>.flv: Packet mismatch\nConversion failed!";
    TfrmMain window;
    QueueModel& queue = window.queue();
    AppendDone(queue, "/videos/done.flv");
    queue.append("/videos/broken.flv", 10);
    queue.setState(1, RowState::Failed);
    queue.setFailureDetail(1, detail);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView* list = window.ListView1;

    for (const bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "selected" : "not selected");
        if (selected)
            list->setCurrentIndex(queue.index(1, 0));
        else
            list->clearSelection();
        QApplication::processEvents();
        const QImage cells = list->viewport()->grab().toImage();
        const QRect progress = list->visualRect(queue.index(1, QueueModel::ColProgress));
        const QRect converted = list->visualRect(queue.index(1, QueueModel::ColConverted));
        for (const QRect& cell : {progress, converted}) {
            EXPECT_GE(InkContrast(cells, cell.adjusted(1, 0, -1, 0)), 4.5);
            const QList<QPoint> ink = InkOf(cells, cell);
            ASSERT_FALSE(ink.isEmpty());
            if (!selected) {
                // Red: the ink's strongest pixel is far more red than green or blue.
                QColor strongest = QColor(cells.pixel(ink.first()));
                for (const QPoint& p : ink)
                    if (QColor(cells.pixel(p)).lightness() < strongest.lightness())
                        strongest = QColor(cells.pixel(p));
                EXPECT_GT(strongest.red(), 2 * qMax(strongest.green(), strongest.blue()))
                    << strongest.name().toStdString();
            }
        }
        // Too long for the cell: written up to its right edge and cut there.
        int right = 0;
        for (const QPoint& p : InkOf(cells, converted))
            right = qMax(right, p.x());
        EXPECT_GE(right, converted.right() - 16);
        EXPECT_LE(right, converted.right());
    }
    // A done row's cell is still the link it was.
    EXPECT_EQ(queue.index(0, QueueModel::ColConverted).data().toString(), "AVI");

    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(list);
    ASSERT_TRUE(reader && reader->tableInterface());
    QAccessibleInterface* cell = reader->tableInterface()->cellAt(1, QueueModel::ColConverted);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text(QAccessible::Description), reason);
    EXPECT_TRUE(
        reader->tableInterface()->cellAt(0, QueueModel::ColConverted)->text(QAccessible::Description).isEmpty());

    // Another window is active; the pointer rests on the reason.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(window.isActiveWindow());
    QTest::mouseMove(list->viewport(), list->visualRect(queue.index(1, QueueModel::ColConverted)).center());
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), Qt::convertFromPlainText(detail, Qt::WhiteSpaceNormal));
    QToolTip::hideText();
}

// A converting row's Progress cell draws a bar as long as its share behind
// the unchanged "N% Done", readable on the bar and beside it; rows are a line
// and 4 pixels tall, and the underlines of links stay in their own row.
TEST(WindowLook, ConvertingRowDrawsABarOfItsShare)
{
    TfrmMain window;
    QueueModel& queue = window.queue();
    for (int i = 0; i < 3; ++i)
        queue.append(QString("/videos/%1.flv").arg(i), 10);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView* list = window.ListView1;
    struct Case
    {
        int percent;
        bool selected;
    };
    for (const Case& c : {Case{0, false}, Case{37, false}, Case{50, true}, Case{99, false}, Case{99, true}}) {
        SCOPED_TRACE(QString("%1%, %2").arg(c.percent).arg(c.selected ? "selected" : "not selected").toStdString());
        queue.setState(1, RowState::Converting, c.percent);
        if (c.selected)
            list->setCurrentIndex(queue.index(1, 0));
        else
            list->clearSelection();
        QApplication::processEvents();
        EXPECT_EQ(queue.progress(1), QString("%1% Done").arg(c.percent));
        const QImage cells = list->viewport()->grab().toImage();
        const QRect cell = list->visualRect(queue.index(1, QueueModel::ColProgress));
        const QRgb barColour = c.selected ? QueueCellDelegate::SelectedBarBlue : QueueCellDelegate::BarBlue;
        const QRect track = cell.adjusted(QueueCellDelegate::BarInset, QueueCellDelegate::BarInset,
                                          -QueueCellDelegate::BarInset, -QueueCellDelegate::BarInset);
        // The bar's extent along the track's middle line, text included.
        int extent = 0;
        for (int x = track.left(); x <= track.right(); ++x) {
            bool bar = false;
            for (int y = track.top() + 1; y < track.bottom(); ++y)
                bar = bar || cells.pixel(x, y) == barColour;
            if (bar)
                extent = x - track.left() + 1;
        }
        EXPECT_NEAR(extent, track.width() * c.percent / 100.0, 1.5);
        const int split = track.left() + track.width() * c.percent / 100;
        if (c.percent > 20) {
            EXPECT_GE(InkContrast(cells, QRect(QPoint(track.left() + 1, track.top() + 1),
                                               QPoint(split - 1, track.bottom() - 1))),
                      4.5)
                << "on the bar";
        }
        if (c.percent < 80) {
            EXPECT_GE(InkContrast(cells, QRect(QPoint(split + 1, track.top() + 1),
                                               QPoint(track.right() - 1, track.bottom() - 1))),
                      4.5)
                << "beside the bar";
        }
    }

    list->clearSelection();
    QApplication::processEvents();
    const QImage cells = list->viewport()->grab().toImage();
    const int line = QFontMetrics(list->font()).lineSpacing();
    for (int row = 0; row < queue.count(); ++row) {
        const QRect rect = list->visualRect(queue.index(row, QueueModel::ColFileName));
        EXPECT_GE(rect.height(), line + 4);
        // Each link's ink, underline included, keeps off its row's first and
        // last lines, so it never meets the next row's letters.
        const QList<QPoint> ink = InkOf(cells, rect);
        ASSERT_FALSE(ink.isEmpty());
        int top = rect.bottom(), bottom = rect.top();
        for (const QPoint& p : ink)
            top = qMin(top, p.y()), bottom = qMax(bottom, p.y());
        EXPECT_GT(top, rect.top()) << "row " << row;
        EXPECT_LT(bottom, rect.bottom()) << "row " << row;
    }
}

// When a row starts converting and no converting row is in view, the list
// brings it into view; while one is in view, the list stays where it is.
TEST(WindowLook, StartedRowIsScrolledIntoView)
{
    FreshHome home;
    Prompt::Script prompts;
    const QString flv = home.root() + "/clip.flv";
    MakeFlv(flv);
    struct Case
    {
        const char* what;
        bool convertingInView;
    };
    for (const Case& c : {Case{"none converting in view", false}, Case{"one converting in view", true}}) {
        SCOPED_TRACE(c.what);
        TfrmMain window;
        window.session().settings().WorkDir = home.root() + "/out/";
        QDir().mkpath(window.session().settings().WorkDir);
        QueueModel& queue = window.queue();
        // Rows the run leaves alone, then one to convert far below them.
        for (int i = 0; i < 30; ++i) {
            queue.append(flv, 1);
            queue.setState(i, c.convertingInView && i == 0 ? RowState::Converting : RowState::Done);
        }
        queue.append(flv, 1);
        const int last = queue.count() - 1;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTreeView* list = window.ListView1;
        const auto inView
            = [&](int row) { return list->viewport()->rect().contains(list->visualRect(queue.index(row, 0))); };
        ASSERT_FALSE(inView(last));

        bool started = false, ended = false;
        QObject::connect(&window.conversion(), &ConversionRun::rowStarted,
                         [&](quint64 id) { started = id == queue.id(last); });
        QObject::connect(&window.conversion(), &ConversionRun::runEnded, [&] { ended = true; });
        window.EzRgnBtn3Click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return started; }, 60000));
        EXPECT_EQ(inView(last), !c.convertingInView);
        EXPECT_EQ(list->verticalScrollBar()->value() == 0, c.convertingInView);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 60000));
        EXPECT_EQ(queue.progress(last), "Done") << queue.failureDetail(last).toStdString();
        EXPECT_TRUE(prompts.shown().empty());
    }
}

// The list's focus is a frame of 3:1 or more against what it covers and what
// surrounds it, empty or not.
TEST(WindowLook, ListFocusIsDrawnClearly)
{
    for (const int rows : {0, 3}) {
        SCOPED_TRACE(rows);
        TfrmMain window;
        for (int i = 0; i < rows; ++i)
            window.queue().append(QString("/videos/%1.flv").arg(i), 10);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTreeView* list = window.ListView1;
        window.Button1->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const QImage before = list->grab().toImage();
        list->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const QImage after = list->grab().toImage();
        const QImage skin = window.Image1->pixmap().toImage();
        const QRect r = list->rect();
        double worstChange = 21, worstAround = 21;
        for (int y = 0; y <= r.bottom(); ++y) {
            for (int x = 0; x <= r.right(); ++x) {
                const bool ring = x < 2 || y < 2 || x > r.right() - 2 || y > r.bottom() - 2;
                if (!ring)
                    continue;
                worstChange = qMin(worstChange, Contrast(before.pixelColor(x, y), after.pixelColor(x, y)));
                worstAround = qMin(
                    worstAround, Contrast(after.pixelColor(x, y), skin.pixelColor(list->mapTo(&window, QPoint(x, y)))));
            }
        }
        EXPECT_GE(worstChange, 3.0);
        EXPECT_GE(worstAround, 3.0);
    }
}

} // namespace
