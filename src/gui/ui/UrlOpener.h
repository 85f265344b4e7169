#pragma once

class QUrl;

namespace corvane {

// Hands an address to the desktop: the web browser, the mail program, or the
// program that opens a file of its type. Tests put a scripted one in its place.
class UrlOpener
{
public:
    enum class Result
    {
        Opened,
        NoHandler, // nothing on this desktop opens such addresses
        Failed     // a handler exists but could not be started
    };

    virtual ~UrlOpener() = default;
    virtual Result open(const QUrl& url) = 0;
};

// The desktop's handlers, through QDesktopServices.
class DesktopUrlOpener : public UrlOpener
{
public:
    Result open(const QUrl& url) override;
};

} // namespace corvane
