// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/values/ValueKinds.h"

namespace velmora {
namespace {

struct Boundary {
    KindOf kind;
    const char* value;
    bool fits;
};

TEST(ValueKinds, BoundariesOfEachKind) {
    const Boundary cases[] = {
        {KindOf::YesNo, "YES", true},        {KindOf::YesNo, "False", true},     {KindOf::YesNo, "ye", false},
        {KindOf::YesNo, "1", false},         {KindOf::YesNo, "", false},
        {KindOf::WholeNumber, "-0", true},   {KindOf::WholeNumber, "+5", true},  {KindOf::WholeNumber, "12O", false},
        {KindOf::WholeNumber, "+", false},   {KindOf::WholeNumber, "1.", false}, {KindOf::WholeNumber, "", false},
        {KindOf::WholeNumber, "1 2", false},
        {KindOf::Decimal, "1.", true},       {KindOf::Decimal, ".5", true},      {KindOf::Decimal, "-2.25", true},
        {KindOf::Decimal, "12", true},       {KindOf::Decimal, ".", false},      {KindOf::Decimal, "4..5", false},
        {KindOf::Decimal, "1.2.3", false},   {KindOf::Decimal, "1e3", false},
        {KindOf::Percent, "50%", true},      {KindOf::Percent, "-2.5%", true},   {KindOf::Percent, "5 %", false},
        {KindOf::Percent, "%", false},       {KindOf::Percent, "50", false},     {KindOf::Percent, "50%%", false},
    };
    for (const Boundary& c : cases)
        EXPECT_EQ(FitsPlainKind(c.kind, c.value), c.fits) << KindText({c.kind, {}}) << " \"" << c.value << "\"";
}

TEST(ValueKinds, KindTextsReadBackAndNonsenseIsNoKind) {
    for (const ValueKind& kind : {ValueKind{KindOf::YesNo, {}}, ValueKind{KindOf::WholeNumber, {}},
                                  ValueKind{KindOf::Decimal, {}}, ValueKind{KindOf::Percent, {}},
                                  ValueKind{KindOf::CodeOf, "Armors"}, ValueKind{KindOf::CodesOf, "Armors"},
                                  ValueKind{KindOf::Text, {}}})
        EXPECT_EQ(ParseKind(KindText(kind)), kind) << KindText(kind);
    EXPECT_EQ(ParseKind("  Codes Of  Weapons "), (ValueKind{KindOf::CodesOf, "Weapons"}));
    EXPECT_EQ(ParseKind("whle number"), std::nullopt);
    EXPECT_EQ(ParseKind("code of "), std::nullopt);
    EXPECT_EQ(ParseKind("codeof Weapons"), std::nullopt);
}

}  // namespace
}  // namespace velmora
