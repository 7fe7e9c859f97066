#include "jobs/schowek.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace jobs {

namespace {

const QByteArray BOM("\xEF\xBB\xBF");

// The bytes another X program offers as UTF8_STRING, asked for on a connection of our own.
// Qt decodes that target before anyone sees it, and its decoding drops a leading byte
// order mark; a terminal offers no other. Empty when the owner does not answer in time or
// sends the text in increments.
std::optional<QByteArray> bajtyUtf8String(const char* schowek)
{
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> polaczenie(xcb_connect(nullptr, nullptr),
                                                                              xcb_disconnect);
    if (xcb_connection_has_error(polaczenie.get()) != 0) {
        return std::nullopt;
    }
    xcb_connection_t* x = polaczenie.get();
    const auto atom = [x](const char* nazwa) {
        xcb_intern_atom_reply_t* odpowiedz = xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(nazwa)), nazwa), nullptr);
        const xcb_atom_t wynik = odpowiedz != nullptr ? odpowiedz->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(odpowiedz);
        return wynik;
    };
    const xcb_atom_t wybor = atom(schowek);
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    const xcb_atom_t wlasnosc = atom("ZNAKOMAT_SCHOWEK");
    const xcb_screen_t* ekran = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const xcb_window_t okno = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, okno, ekran->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_convert_selection(x, okno, wybor, utf8, wlasnosc, XCB_CURRENT_TIME);
    xcb_flush(x);
    QElapsedTimer zegar;
    zegar.start();
    for (;;) {
        while (xcb_generic_event_t* zdarzenie = xcb_poll_for_event(x)) {
            const bool odpowiedz = (zdarzenie->response_type & 0x7F) == XCB_SELECTION_NOTIFY;
            const bool jest =
                odpowiedz && reinterpret_cast<xcb_selection_notify_event_t*>(zdarzenie)->property == wlasnosc;
            std::free(zdarzenie);
            if (!odpowiedz) {
                continue;
            }
            if (!jest) {
                return std::nullopt;
            }
            xcb_get_property_reply_t* tresc = xcb_get_property_reply(
                x, xcb_get_property(x, 1, okno, wlasnosc, XCB_GET_PROPERTY_TYPE_ANY, 0, 64 << 20), nullptr);
            std::optional<QByteArray> bajty;
            if (tresc != nullptr && tresc->type == utf8 && tresc->format == 8) {
                bajty = QByteArray(static_cast<const char*>(xcb_get_property_value(tresc)),
                                   xcb_get_property_value_length(tresc));
            }
            std::free(tresc);
            return bajty;
        }
        const qint64 zostalo = 500 - zegar.elapsed();
        pollfd oczekiwanie{xcb_get_file_descriptor(x), POLLIN, 0};
        if (zostalo <= 0 || xcb_connection_has_error(x) != 0 ||
            ::poll(&oczekiwanie, 1, static_cast<int>(zostalo)) < 0) {
            return std::nullopt;
        }
    }
}

// The raw bytes of the clipboard or selection that `dane` is, when another X program
// owns it; none for a drop, our own text or another window system.
std::optional<QByteArray> bajtyWlasciciela(const QMimeData& dane)
{
    QClipboard* schowek = QGuiApplication::clipboard();
    if (qGuiApp->nativeInterface<QNativeInterface::QX11Application>() == nullptr) {
        return std::nullopt;
    }
    for (const auto& [tryb, nazwa] :
         {std::pair{QClipboard::Clipboard, "CLIPBOARD"}, std::pair{QClipboard::Selection, "PRIMARY"}}) {
        // Our own window answers only from its event loop, which waits here.
        if (&dane == schowek->mimeData(tryb) && !schowek->ownsClipboard() &&
            (tryb != QClipboard::Selection || !schowek->ownsSelection())) {
            return bajtyUtf8String(nazwa);
        }
    }
    return std::nullopt;
}

// `tekst` with the mark the bytes began with, when the bytes are exactly that text.
std::optional<QString> zZnacznikiem(const QByteArray& bajty, const QString& tekst)
{
    if (!bajty.startsWith(BOM)) {
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString zBom = utf8.decode(bajty);
    // Only the mark Qt dropped is put back: text the program holds itself (its own copy)
    // is exact already, and its bytes may not be (a lone surrogate).
    if (zBom.size() == tekst.size() + 1 && QStringView(zBom).sliced(1) == tekst) {
        return zBom;
    }
    return std::nullopt;
}

}  // namespace

QString tekstZeSchowka(const QMimeData& dane)
{
    const QString tekst = dane.text();
    for (const QString& format : {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")}) {
        if (dane.hasFormat(format)) {
            if (const std::optional<QString> zBom = zZnacznikiem(dane.data(format), tekst)) {
                return *zBom;
            }
        }
    }
    if (!tekst.isEmpty() && !dane.hasFormat(QStringLiteral("text/plain;charset=utf-8"))) {
        if (const std::optional<QByteArray> bajty = bajtyWlasciciela(dane)) {
            if (const std::optional<QString> zBom = zZnacznikiem(*bajty, tekst)) {
                return *zBom;
            }
        }
    }
    return tekst;
}

}  // namespace jobs
