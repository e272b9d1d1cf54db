#include "App/AppDelegate.h"
#include "App/ImageTinting.h"
#include "App/MenuIcons.h"
#include "App/MenuLogo.h"
#include "App/StatusTexts.h"
#include "App/TaskMenuStyle.h"
#include "Platform/ResourceBundle.h"
#include "Platform/SystemColours.h"

#include <QPainter>

namespace quorvel {

namespace {
constexpr int orcaLogoSize = 16;

qreal screenRatio() {
    return MenuIcons::screenRatio();
}
} // namespace

QImage AppDelegate::icon(LightState state) const {
    return icons_->stateIcon(state, amberPulsePhase, screenRatio());
}

QImage AppDelegate::providerIcon(TaskProvider provider, bool subdued) const {
    return icons_->providerIcon(provider, subdued, screenRatio());
}

const std::optional<QImage>& AppDelegate::orcaAppIcon() const {
    if (!orcaAppIcon_) {
        const auto logo = resourceBundle().url(QStringLiteral("orca-logo"), QStringLiteral("png"));
        orcaAppIcon_ = logo ? MenuLogo::mask(*logo, orcaLogoSize, screenRatio()) : std::nullopt;
    }
    return *orcaAppIcon_;
}

QImage AppDelegate::taskSourceImage(TaskProvider provider, bool isOrcaTask, LightState state) const {
    return taskSourceImage(provider, isOrcaTask, state, icon(state));
}

QImage AppDelegate::taskSourceImage(TaskProvider provider, bool isOrcaTask, LightState state,
                                    const QImage& stateIcon) const {
    const qreal ratio = screenRatio();
    std::optional<QImage> mark;
    if (!isOrcaTask)
        mark = providerIcon(provider, false);
    else if (orcaAppIcon())
        mark = tinted(*orcaAppIcon(), SystemColours::label(),
                      QSizeF(MenuIcons::providerIconSize, MenuIcons::providerIconSize), ratio);
    QImage image = MenuIcons::rowImage(mark, stateIcon, ratio);
    image.setText(QStringLiteral("Description"),
                  StatusTexts::rowImageDescription(provider, isOrcaTask, state));
    return image;
}

QIcon AppDelegate::taskSourceIcons(TaskProvider provider, bool isOrcaTask, LightState state) const {
    const QImage stateIcon = icon(state);
    return TaskMenuStyle::rowIcon(taskSourceImage(provider, isOrcaTask, state, stateIcon),
                                  stateIcon.scaled((QSizeF(16, 16) * screenRatio()).toSize(),
                                                   Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

QIcon AppDelegate::detailIcon(const TaskStatus& task) const {
    const qreal ratio = screenRatio();
    const QImage blank = blankImage(QSizeF(MenuIcons::rowImageSize), ratio);
    const QImage smallBlank = blankImage(QSizeF(16, 16), ratio);
    if (!task.isOrcaTask())
        return TaskMenuStyle::rowIcon(blank, smallBlank);
    const int side = MenuIcons::trailingMarkSize;
    QImage mark = blankImage(QSizeF(side, side), ratio);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, side, side), providerIcon(task.provider(), true));
    painter.end();
    return TaskMenuStyle::rowIcon(blank, smallBlank, mark);
}

} // namespace quorvel
