#include "app/WebLinks.h"

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
    case Link::Label1: return {"Video Joiner", "/video-joiner/"};
    case Link::Label2: return {"DVD Ripper", "/dvd-ripper/"};
    case Link::Label3: return {"Support", "/support/"};
    case Link::Label4: return {"Audio Extractor", "/audio-extractor/"};
    case Link::Label5: return {"MP4 Converter", "/mp4-converter/"};
    case Link::Label6: return {"GIF Maker", "/gif-maker/"};
    case Link::Label7: return {"Screen Recorder", "/screen-recorder/"};
    }
    return {"", "/"};
}

} // namespace

QString Caption(Link link)
{
    return QString::fromLatin1(Lookup(link).caption);
}

QUrl Address(Link link)
{
    return QUrl(QLatin1String(MakerSite) + QLatin1String(Lookup(link).path));
}

} // namespace WebLinks
