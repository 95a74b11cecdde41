#include "help_text.h"

#include <algorithm>
#include <array>

namespace ym::ui {

namespace {

// One entry per line of the page; `blankAfter` puts one empty line after it.
struct HelpLine {
    const char* text;
    bool blankAfter;
};

// clang-format off
constexpr HelpLine kHelpPage[] = {
    {"", false},
    {"一、简介：", true},
    {"    股票交易要付佣金、印花税、过户费等多项费用，计算起来十分繁琐，许多投资者买卖之前只能估计"
     "价格和盈亏。本软件正是为他们设计的：有了它，您就能得到方便、快捷、准确的数据——“不用再去交割，"
     "就知道一切细节！”", false},
    {"    Yuanmate 5.5 版包含股价计算器和除权（除息）价计算器，可以调用系统的计算器和记事本；计算参数"
     "可以调整（印花税率等可随国家政策的变化而修改），显示效果也可以按个人喜好设置。", true},
    {"二、操作说明:", true},
    {"  （一）股价计算器：", false},
    {"    股价计算器是本软件的核心功能，可以计算各类证券买卖的各项手续费和盈亏情况。选定市场和券种"
     "之后，只用数字键和回车键就能完成全部操作，误操作会被程序拦截。", true},
    {"    操作步骤：", false},
    {"    1、选择市场：上海、深圳 ", false},
    {"    2、选择券种：A股、B股、基金 ...... ", false},
    {"    3、输入买入价 + Enter（回车键）   ", false},
    {"    4、输入卖出价 + Enter   ", false},
    {"    5、输入买卖数量 + Enter", false},
    {"    6、Enter（计算键），即可得到结果。", false},
    {"    如果只输入买入价或卖出价，则计算的是单趟的手续费等值。", true},
    {"  （二）除权（息）价计算器：", true},
    {"    除权（息）价计算器根据除权（息）前的股价算出除权（息）后的股价，也可以反过来由除权（息）后"
     "的股价算出除权（息）前的股价。您只需选择输入哪一个价格，计算方向由程序自动判断。", true},
    {"    操作步骤:", false},
    {"    1、选择送配方案，并输入相应数据 + Enter", false},
    {"    2、输入送配前（后）股价 + Enter", false},
    {"    3、Enter（计算键），即可。", false},
    {"    得到的为相应的送配后（前）的股价,计算键的箭头表示了计算方向。", false},
    {"    无效的数据无法输入。计算公式以实际的送配数量为依据，因此对于某些送配方案，计算结果可能与"
     "公布的价格略有差异。", true},
    {"  （三）参数设置：", true},
    {"    印花税率等计算参数可以按国家的有关规定修改，修改后的参数保存在 Yuanmate5.ini 文件中。修改"
     "参数后请不要删除该文件，复制本程序时也要将它一并复制。程序默认生成的该文件中保存的是 2001 年"
     " 3 月起执行的国家参数。", false},
    {"    系统设置用来改变显示板的颜色和文字，提供四种预设的显示方案和一种自定义方案；在自定义方案中，"
     "单击某一颜色条即可为它选择颜色。", true},
    {"  （四）其它说明：", true},
    {"    F1 ---为'帮助'热键。", false},
    {"    F2 ---为'计算器'热键。", false},
    {"    F3 ---为'记事本'热键。", false},
    {"    F4 ---为'送配前后股价计算器'热键。", false},
    {"    F5 ---为'参数设置'热键。", false},
    {"    F6 ---为'关于'热键。", false},
    {"    F8 ---为'对账单核对'热键。", false},
    {"    按钮上有带下划线大写字母的，热键为(Alt + 按钮上的大写字母),例如:Alt + X (表示退出)；有不带"
     "下划线大写字母的，热键为(按钮上的大写字母),例如: “C” 表示清除。", false},
    {"    Tab键可以用来切换焦点。", false},
    {"    在 Windows 上，默认的计算器和记事本为 C:\\Windows\\Calc.exe 和 C:\\Windows\\Notepad.exe，"
     "它们应当在该位置；在 Linux 上则使用桌面环境自带的计算器和文本编辑器。您也可以换用更好的计算器"
     "或记事本来代替它们。", true},
    {"  （五）对账单核对：", true},
    {"    对账单核对（F8，或工具栏上的按钮）读取交易软件导出的交割单（对账单），不必先作任何修改："
     "GBK 或 UTF-8 编码，以 Tab 或逗号分隔，文件名常为 .xls 的文本文件都可以；真正的 Excel 工作簿"
     "请先另存为文本或 CSV 文件。单击“打开交割单”选择一个或多个文件（例如每月导出的文件），或把文件"
     "拖到窗口上。转账、配号、红利等非成交业务不计入，只列出其行数；无法读取的文件给出文件名和原因，"
     "窗口中原有的结果不变。", false},
    {"    佣金条款：从成交行找出券商实际的佣金率（按券商的说法，如 万2.5）、是否有 5 元最低佣金（免五）、"
     "佣金是否包含经手费和证管费（含规费），条款中途改变时分段列出，并给出每项结论所依据的笔数。", false},
    {"    按年费用：每年及合计的笔数、成交金额、佣金、印花税、过户费、其他费用、费用合计和费用占成交金额"
     "的万分比，右侧的图按年画出各类费用。", false},
    {"    与规则不符的行：每一笔都按成交日施行的官方规则（或设置参数中的经典参数，随主窗口的费率）和"
     "找到的条款重新计算，相差超过一分钱的列出收取的、应收的费用、差额和可能的原因；单击列标题排序，"
     "选中若干行后按 Ctrl+C 复制，可粘贴到电子表格中。", false},
    {"    换个条款：输入另一家券商的佣金率（万分之几，如 1 即万1）、是否免五、是否含规费，按 Enter 或"
     "“换算”，即得同样的成交在新条款下的费用和节省的金额。打开时填入的是设置参数中的佣金条款。", true},
    {"三、补充说明:", true},
    {"    <一>  请留意本程序的新版本，我们会不断改进和完善它。", false},
    {"    <二>  如果把 5.5 版安装到 5.0 版所在的目录中，显示板可能会全部显示为黑色，这是因为 "
     "Yuanmate5.ini 文件还没有升级为 5.5 版的格式。解决的办法有两种：", true},
    {"     1、运行Yuanmate 5.5 后，进入“参数设置”，选择“系统设置”，选择一种“显示板显示方案”，保存退出"
     "即可；", false},
    {"     2、直接在该目录里删除 Yuanmate5.ini 文件，然后再次运行Yuanmate 5.5 即可。", true},
    {"四、升级说明:", true},
    {"    Yuanmate 5.5 是 5.0 版的修正升级版本，在以下几个方面作了改进：", true},
    {"    <*1*> 修正了 5.0 版的计算错误（例如修改参数后出现的计算错误），并优化了代码，运行更快、更稳定。",
     false},
    {"    <*2*> 全面支持 B 股的计算，符合国家现行的 B 股交易规定。", false},
    {"    <*3*> 参数设置中增加了“系统设置”模块，提供四种预设的显示方案和一种自定义方案。", false},
    {"    <*4*> 调整了程序的内部结构，并为配套程序留出了接口。", false},
    {"    <*5*> 界面更加精致、统一，特别是除权（息）价计算器和“关于”窗口。", true},
};
// clang-format on

} // namespace

QStringList HelpLines() {
    QStringList lines;
    for (const HelpLine& line : kHelpPage) {
        lines.append(QString::fromUtf8(line.text));
        if (line.blankAfter) {
            lines.append(QString());
        }
    }
    return lines;
}

int HelpTopicLine(HelpTopic topic) {
    // Each section begins with its heading line.
    static constexpr std::array<const char*, 2> kHeadings{"", "  （五）对账单核对："};
    const QString heading = QString::fromUtf8(kHeadings[static_cast<std::size_t>(topic)]);
    return heading.isEmpty()
               ? 0
               : static_cast<int>(std::max<qsizetype>(0, HelpLines().indexOf(heading)));
}

QString HelpText() {
    QString text;
    for (const QString& line : HelpLines()) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

} // namespace ym::ui
