#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QLocale;

// Measures a file's playing time with mediainfo, through the four-line batch
// file "open.bat" that the batch interpreter runs, as the program always has.
class DurationProbe
{
public:
    // tempDir ends in "/"; mediaInfoExe is empty when mediainfo was not found.
    DurationProbe(QString tempDir, QString mediaInfoExe, QString interpreter = DefaultInterpreter());

    // The first line mediainfo wrote for the file, or none when it wrote no
    // line at all or the batch wrote no answer file. Throws EFileError when
    // open.bat cannot be written or the answer cannot be read, and
    // VantrelError when a tool is missing or cannot be started.
    std::optional<QString> ProbeDuration(const QString& source) const;

    QString batchPath() const { return m_tempDir + QStringLiteral("open.bat"); }
    QString resultPath() const { return m_tempDir + QStringLiteral("duration_time.txt"); }

    // The batch text: four lines, CR LF after each, every "%" of a path doubled
    // so the path reaches mediainfo literally.
    static QByteArray BatchText(const QString& source, const QString& tempDir, const QString& mediaInfoExe);
    // False for a path that cannot stand inside the batch's double quotes.
    static bool CanQuote(const QString& path);
    // False for a path the file finder listed with replacement characters
    // for bytes the system's encoding cannot represent: no file has that name.
    static bool CanBeNamed(const QString& path);
    // vantrel-batch beside the running program.
    static QString DefaultInterpreter();
    // Message shown when there is no mediainfo to run.
    static QString MissingMediaInfoText();

private:
    QString m_tempDir;
    QString m_mediaInfoExe;
    QString m_interpreter;
};

// Whole seconds of a time text such as "00:03:25.123" (the fraction dropped).
// MediaInfo's colon and full stop are always accepted, and so are the time and
// decimal separators of the locale. Throws EConvertError "'text' is not a valid time".
int TimeTextToSeconds(const QString& text);
int TimeTextToSeconds(const QString& text, const QLocale& locale);
