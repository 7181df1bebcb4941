#include "services/AppTheme.h"

#include "BuildInfo.h"

#include <QGuiApplication>
#include <QWidget>

namespace {
struct ProductRow {
    const char *rawValue;
    QRgb accentLight;
    QRgb accentDark;
    QRgb controlLight;
    QRgb controlDark;
    bool coolCanvas;
};

// Indexed by AppTheme::Product::Value.
constexpr ProductRow rows[] = {
    {"lumen", 0x1F5FA8, 0x7DB4F0, 0x1F5FA8, 0x2C6CB5, false},
    {"quill", 0x6A3FA0, 0xC3A2F0, 0x6A3FA0, 0x7A4FB0, false},
    {"tally", 0x2E7D4F, 0x8FD9AC, 0x2E7D4F, 0x3A8A5C, false},
    {"vesper", 0xA33B5C, 0xF29BB6, 0xA33B5C, 0xB04869, true},
    {"drift", 0x17707A, 0x7FD3DC, 0x17707A, 0x237D87, true},
    {"cairn", 0x5D5A52, 0xCFC9BC, 0x5D5A52, 0x6A675F, false},
    {"mote", 0xA8501F, 0xF0A57D, 0xA8501F, 0xB55C2B, false},
    {"plume", 0x3C4FA0, 0xA7B4F2, 0x3C4FA0, 0x495CAD, false},
    {"brimkit", 0x78580D, 0xEAC86B, 0x78580D, 0x88681B, false},
};

const ProductRow &row(AppTheme::Product product) { return rows[product.value()]; }
} // namespace

std::optional<AppTheme::Product> AppTheme::Product::fromRawValue(QStringView raw)
{
    for (Product product : allCases()) {
        if (raw == QLatin1String(row(product).rawValue))
            return product;
    }
    return std::nullopt;
}

QString AppTheme::Product::rawValue() const
{
    return QString::fromLatin1(row(*this).rawValue);
}

QString AppTheme::Product::identifier() const
{
    return suitePrefix() + QLatin1Char('.') + rawValue();
}

AppTheme::Product AppTheme::Product::resolve(const std::optional<QString> &bundleIdentifier)
{
    const QString id = bundleIdentifier.value_or(QString());
    if (id == Product(brimkit).identifier())
        return brimkit;
    for (Product product : allCases()) {
        if (product == brimkit)
            continue;
        const QString candidate = product.identifier();
        if (id == candidate || id.startsWith(candidate + QLatin1Char('.')))
            return product;
    }
    return allCases().front();
}

QString AppTheme::suitePrefix()
{
    return QString::fromLatin1(BuildInfo::suitePrefix);
}

AppTheme::Product AppTheme::product()
{
    static const Product current = Product::resolve(QString::fromLatin1(BuildInfo::bundleIdentifier));
    return current;
}

bool AppTheme::isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor AppTheme::accent(Product product, bool dark)
{
    return QColor::fromRgb(dark ? row(product).accentDark : row(product).accentLight);
}

QColor AppTheme::controlAccent(Product product, bool dark)
{
    return QColor::fromRgb(dark ? row(product).controlDark : row(product).controlLight);
}

QColor AppTheme::warning(bool dark)
{
    return dark ? QColor::fromRgbF(1.0f, 0.65f, 0.3f) : QColor::fromRgbF(0.58f, 0.28f, 0.04f);
}

QColor AppTheme::canvas(Product product, bool dark)
{
    if (row(product).coolCanvas)
        return dark ? QColor::fromRgbF(0.10f, 0.11f, 0.125f) : QColor::fromRgbF(0.965f, 0.972f, 0.985f);
    return dark ? QColor::fromRgbF(0.12f, 0.115f, 0.11f) : QColor::fromRgbF(0.985f, 0.978f, 0.96f);
}

QColor AppTheme::accent(Product product, const QPalette &palette) { return accent(product, isDark(palette)); }
QColor AppTheme::controlAccent(Product product, const QPalette &palette) { return controlAccent(product, isDark(palette)); }
QColor AppTheme::accent(const QPalette &palette) { return accent(product(), isDark(palette)); }
QColor AppTheme::controlAccent(const QPalette &palette) { return controlAccent(product(), isDark(palette)); }
QColor AppTheme::warning(const QPalette &palette) { return warning(isDark(palette)); }
QColor AppTheme::canvas(const QPalette &palette) { return canvas(product(), isDark(palette)); }

void AppTheme::tint(QWidget &widget)
{
    QPalette palette = widget.palette();
    const QColor color = controlAccent(palette);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::ButtonText, color);
        palette.setColor(group, QPalette::Highlight, color);
    }
    widget.setPalette(palette);
}

std::optional<AppColorScheme> AppTheme::scheme(QStringView appearance)
{
    if (appearance == QLatin1String("light"))
        return AppColorScheme::light;
    if (appearance == QLatin1String("dark"))
        return AppColorScheme::dark;
    return std::nullopt;
}

QPalette AppTheme::currentPalette()
{
    return QGuiApplication::palette();
}
