#include "Pictures.h"

// Q_INIT_RESOURCE must be used outside any namespace; the pictures live in a static library that
// the linker would otherwise leave out.
static void loadPictureResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(se_pictures);
        return true;
    }();
    (void)loaded;
}

QPixmap picture(const QString& name) {
    loadPictureResources();
    return QPixmap(QStringLiteral(":/pictures/") + name);
}

QIcon twoStateGlyph(const QString& name) {
    const QPixmap both = picture(name);
    const int half = both.width() / 2;
    QIcon icon;
    icon.addPixmap(both.copy(0, 0, half, both.height()), QIcon::Normal);
    icon.addPixmap(both.copy(half, 0, half, both.height()), QIcon::Disabled);
    return icon;
}
