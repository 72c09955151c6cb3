#include "TicketText.h"

#include <gtest/gtest.h>

TEST(PadLeft, PadsToOneMoreThanTheWidthAndKeepsLongerTexts) {
    struct Case {
        QString in;
        int width;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("12"), 8, QStringLiteral("       12")},
        {QStringLiteral("12345678"), 8, QStringLiteral(" 12345678")},
        {QStringLiteral("123456789"), 8, QStringLiteral("123456789")},
        {QString(), 3, QStringLiteral("    ")},
        {QStringLiteral("ab"), 0, QStringLiteral("ab")},
    };
    for (const Case& c : cases) {
        QString text = c.in;
        EXPECT_TRUE(padLeft(text, c.width));
        EXPECT_EQ(text, c.out) << c.in.toStdString() << " width " << c.width;
    }
}

TEST(PadLeft, LastEightCharactersRightAlignOrTruncateFromTheLeft) {
    QString shortCount = QStringLiteral("10");
    padLeft(shortCount, 8);
    EXPECT_EQ(shortCount.right(8), QStringLiteral("      10"));
    QString longCount = QStringLiteral("3x12 a 15 rep");
    padLeft(longCount, 8);
    EXPECT_EQ(longCount.right(8), QStringLiteral(" a 15 rep").right(8));
}

TEST(WithoutAccents, ReplacesEveryLetterOfTheTableAndNothingElse) {
    EXPECT_EQ(withoutAccents(QStringLiteral("àâêôûãõáéíóúçüÀÂÊÔÛÃÕÁÉÍÓÚÇÜ")),
              QStringLiteral("aaeouaoaeioucuAAEOUAOAEIOUCU"));
    EXPECT_EQ(withoutAccents(QStringLiteral("Conceição Müller, 12")),
              QStringLiteral("Conceicao Muller, 12"));
    // Letters outside the table stay, and the length never changes.
    const QString other = QStringLiteral("èñ ÈÑ abc 0123");
    EXPECT_EQ(withoutAccents(other), other);
}
