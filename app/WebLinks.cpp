#include "app/WebLinks.h"

#include <QCoreApplication>

namespace WebLinks {

namespace {

struct Entry
{
    const char* caption;
    const char* path;
};

// The product sites and the maker's second site are pages of the one address
// until they have addresses of their own.
Entry Lookup(Link link)
{
    switch (link) {
    case Link::TranPanel1:
    case Link::TranPanel2: return {"", "/"};
    case Link::Label1: return {QT_TRANSLATE_NOOP("WebLinks", "Video Joiner"), "/video-joiner/"};
    case Link::Label2: return {QT_TRANSLATE_NOOP("WebLinks", "DVD Ripper"), "/dvd-ripper/"};
    case Link::Label3: return {QT_TRANSLATE_NOOP("WebLinks", "Support"), "/support/"};
    case Link::Label4: return {QT_TRANSLATE_NOOP("WebLinks", "Audio Extractor"), "/audio-extractor/"};
    case Link::Label5: return {QT_TRANSLATE_NOOP("WebLinks", "MP4 Converter"), "/mp4-converter/"};
    case Link::Label6: return {QT_TRANSLATE_NOOP("WebLinks", "GIF Maker"), "/gif-maker/"};
    case Link::Label7: return {QT_TRANSLATE_NOOP("WebLinks", "Screen Recorder"), "/screen-recorder/"};
    }
    return {"", "/"};
}

} // namespace

QString Caption(Link link)
{
    return QCoreApplication::translate("WebLinks", Lookup(link).caption);
}

QUrl Address(Link link)
{
    return QUrl(QLatin1String(MakerSite) + QLatin1String(Lookup(link).path));
}

} // namespace WebLinks
