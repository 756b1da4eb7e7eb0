#pragma once

#include <QString>
#include <QUrl>

// The window's links to the maker's web pages: the two click areas over the
// logo and the seven link labels.
namespace WebLinks {

// The maker's web address. Under the reserved example domain until the project
// has a site of its own; every link is formed from it.
inline constexpr char MakerSite[] = "https://www.example.com";

enum class Link { TranPanel1, TranPanel2, Label1, Label2, Label3, Label4, Label5, Label6, Label7 };

// The label's caption; empty for the click areas.
QString Caption(Link link);
QUrl Address(Link link);

} // namespace WebLinks
