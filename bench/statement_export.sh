#!/bin/sh
# Writes a trading client's export of N lines (default 100000) to standard output, as
# yuanmate-calc statement reads it: GBK, tab-separated, a title above the header, values
# wrapped as ="...", one line in twenty an event that is no trade; trades of 2024 to 2026 with
# the fees of 万2.5 with the 5-yuan minimum, the handling and regulatory fees apart. Timing:
#   bench/statement_export.sh 1000000 > /tmp/export.xls
#   /usr/bin/time -v build/release/tools/yuanmate-calc statement /tmp/export.xls > /dev/null
# (elapsed time and "Maximum resident set size": memory must not grow with the file).
awk -v n="${1:-100000}" '
function fen(x) { return sprintf("%.2f", x + 1e-9) }
BEGIN {
    srand(20261207)
    print "历史成交查询\t"
    print "成交日期\t证券代码\t证券名称\t买卖标志\t成交数量\t成交价格\t成交金额\t佣金\t印花税\t过户费\t其他费\t发生金额\t股东代码\t"
    split("600000 601318 000001 300750", codes, " ")
    split("浦发银行 中国平安 平安银行 宁德时代", names, " ")
    split("申购配号 银行转证券 股息入账 证券转银行", events, " ")
    for (i = 0; i < n; i++) {
        date = sprintf("%04d%02d%02d", 2024 + int(rand() * 3), 1 + int(rand() * 12), 1 + int(rand() * 28))
        k = 1 + int(rand() * 4)
        account = k <= 2 ? "A000000001" : "0000000002"
        if (i % 20 == 19) {
            printf "=\"%s\"\t=\"%s\"\t=\"%s\"\t=\"%s\"\t=\"0\"\t=\"0\"\t=\"0\"\t=\"0\"\t=\"0\"\t=\"0\"\t=\"0\"\t=\"0\"\t=\"%s\"\t\n", date, codes[k], names[k], events[1 + int(rand() * 4)], account
            continue
        }
        sell = rand() < 0.5
        qty = 100 * (1 + int(rand() * 50))
        price = (300 + int(rand() * 5000)) / 100
        amount = qty * price
        commission = amount * 0.00025 < 5 ? 5 : amount * 0.00025
        stamp = sell ? amount * 0.0005 : 0
        other = fen(amount * 0.0000341) + fen(amount * 0.00002)
        fees = fen(commission) + fen(stamp) + fen(amount * 0.00001) + other
        printf "=\"%s\"\t=\"%s\"\t=\"%s\"\t=\"%s\"\t=\"%d\"\t=\"%.3f\"\t=\"%.2f\"\t=\"%s\"\t=\"%s\"\t=\"%s\"\t=\"%s\"\t=\"%s\"\t=\"%s\"\t\n", date, codes[k], names[k], sell ? "证券卖出" : "证券买入", qty, price, amount, fen(commission), fen(stamp), fen(amount * 0.00001), fen(other), fen(sell ? amount - fees : -(amount + fees)), account
    }
}' | iconv -f UTF-8 -t GBK
