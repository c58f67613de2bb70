#include "shell/HelpTexts.h"

#include "shell/Vendor.h"

#include <stdexcept>

namespace tagmill {

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString Cr = QStringLiteral("\r");

QString askForMore() {
    return "If you need more extraction features please email " + SupportAddress +
           " and I will add them if you give an example of what you have (before) and what you "
           "want for results (after).";
}

QString tagOptionHelp(const QString& caption, const QString& what, const QString& example) {
    return caption + CrLf + CrLf + what + CrLf + CrLf + "For example if tag is: look" + Cr +
           example + CrLf + CrLf + askForMore();
}

} // namespace

QString optionHelpText(ExtractionOption option, const QString& caption) {
    switch (option) {
    case ExtractionOption::TagAndValue:
        return tagOptionHelp(caption,
                             "Software will extract characters between <tag> and </tag> and "
                             "include the tag name in results.",
                             "<look><here>hi</here></look> will extract <here>hi</here>");
    case ExtractionOption::ValueOnly:
        return tagOptionHelp(caption, "Software will extract characters between <tag> and </tag>",
                             "<look><here>hi</here></look> will extract hi");
    case ExtractionOption::WholeLine:
        return tagOptionHelp(caption, "Software will extract entire line containing tag name.",
                             "<look><here>hi</here></look> will extract "
                             "<look><here>hi</here></look>");
    case ExtractionOption::Quoted:
        return caption + CrLf + CrLf + "Software will extract only characters between quotes." +
               CrLf + CrLf +
               "<record from=\"53000059\" to=\"graphics/pictures/person/53000059/portrait\"/> "
               "will extract 53000059 and graphics/pictures/person/53000059/portrait" +
               CrLf + CrLf + askForMore();
    case ExtractionOption::Nothing:
        break;
    }
    throw std::invalid_argument("The hidden option has no help text");
}

QString tagEntryHelpText() {
    return "Enter tags as" + Cr + Cr + "td" + CrLf + CrLf + "not" + Cr + Cr + "<td>" + CrLf + CrLf +
           "For example:" + CrLf + CrLf + "td is good" + CrLf + CrLf + "<td> is bad";
}

QString generalHelpText() {
    return QStringLiteral("Please click on the '?' button near each feature to get the "
                          "instructions for that feature.");
}

} // namespace tagmill
