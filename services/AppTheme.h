#pragma once
// Each suite application's accent colours, the shared warning colour and the
// window background, each in a light and a dark variant. The variant follows
// the palette of whatever draws it: dark when its window colour is dark.

#include <QColor>
#include <QPalette>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

class QWidget;

enum class AppColorScheme { light, dark };

class AppTheme {
public:
    class Product {
    public:
        // Declaration order matters: the first case is the fallback.
        enum Value { lumen, quill, tally, vesper, drift, cairn, mote, plume, brimkit };

        constexpr Product(Value v) : m_value(v) {}
        constexpr Value value() const { return m_value; }
        constexpr operator Value() const { return m_value; }

        static constexpr std::array<Product, 9> allCases()
        {
            return {lumen, quill, tally, vesper, drift, cairn, mote, plume, brimkit};
        }
        static std::optional<Product> fromRawValue(QStringView raw);
        QString rawValue() const;
        // The application identifier, e.g. "app.ostrel.brimkit".
        QString identifier() const;

        // Exact identifier for this application; for the others also their
        // helpers ("<id>.<anything>"); the first case when nothing matches.
        static Product resolve(const std::optional<QString> &bundleIdentifier);

    private:
        Value m_value;
    };

    static QString suitePrefix();
    // The running application's product, resolved once.
    static Product product();

    static bool isDark(const QPalette &palette);

    // Fixed variants.
    static QColor accent(Product product, bool dark);
    static QColor controlAccent(Product product, bool dark);
    static QColor warning(bool dark);
    static QColor canvas(Product product, bool dark);

    // Variants chosen by a palette; the application palette when none is given.
    static QColor accent(Product product, const QPalette &palette);
    static QColor controlAccent(Product product, const QPalette &palette);
    static QColor accent(const QPalette &palette = currentPalette());
    static QColor controlAccent(const QPalette &palette = currentPalette());
    static QColor warning(const QPalette &palette = currentPalette());
    static QColor canvas(const QPalette &palette = currentPalette());

    // Buttons and highlights of the widget and its children in the control accent.
    static void tint(QWidget &widget);

    // "light" and "dark" force a scheme; anything else follows the desktop.
    static std::optional<AppColorScheme> scheme(QStringView appearance);

private:
    static QPalette currentPalette();
};
