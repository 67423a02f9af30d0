#include "backend/qt/icon_image.h"

#include "platform/module/resources.h"

#include <QPixmap>
#include <cstring>
#include <memory>

namespace qv::qt {

QImage IconToImage(HICON icon) {
    if (!icon || icon->width <= 0 || icon->height <= 0 ||
        icon->argb.size() < std::size_t(icon->width) * std::size_t(icon->height))
        return {};
    // Straight ARGB, top row first: exactly QImage::Format_ARGB32.
    QImage image(icon->width, icon->height, QImage::Format_ARGB32);
    for (int row = 0; row < icon->height; ++row) {
        std::memcpy(image.scanLine(row), icon->argb.data() + std::size_t(row) * icon->width,
                    std::size_t(icon->width) * 4);
    }
    return image;
}

QIcon IconToQIcon(HICON icon) {
    const QImage image = IconToImage(icon);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

QImage LoadResourceIcon(WORD id, int size) {
    HRSRC group = FindResourceExA(nullptr, MAKEINTRESOURCEA(RT_GROUP_ICON_ID), MAKEINTRESOURCEA(id),
                                  LANG_NEUTRAL);
    if (!group)
        return {};
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
    const int imageId =
        directory ? platform::LookupIconIdFromGroup(directory, SizeofResource(nullptr, group), TRUE,
                                                    size, size, LR_DEFAULTCOLOR)
                  : 0;
    if (imageId <= 0)
        return {};
    HRSRC image = FindResourceExA(nullptr, MAKEINTRESOURCEA(RT_ICON_ID),
                                  MAKEINTRESOURCEA(WORD(imageId)), LANG_NEUTRAL);
    const auto* bits =
        image ? static_cast<const BYTE*>(LockResource(LoadResource(nullptr, image))) : nullptr;
    if (!bits)
        return {};
    std::unique_ptr<HICON__, decltype(&DestroyIcon)> icon(
        CreateIconFromResourceEx(bits, SizeofResource(nullptr, image), TRUE, 0x00030000, size, size,
                                 LR_DEFAULTCOLOR),
        &DestroyIcon);
    return IconToImage(icon.get());
}

} // namespace qv::qt
