#!/bin/sh
# The report command on a small enterprise: four employees, their pay records
# of February and March 2004 (two months computed with `zelvo calc`, see
# data/README), loaded with `zelvo table load` into a fresh data directory.
#
#   report_test.sh ZELVO SOURCE CASE
#
# CASE: golden NAME ARGS...   the --text listing equals golden/NAME.txt
#       pdf                   the payslips and the order to PDF, read back with pdftotext
#       render                one page drawn by pdftoppm: only that it draws
#       errors                no records, bad input: exit statuses, messages, no file
set -eu
zelvo=$1 src=$2 case=$3
shift 3
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
# Qt's offscreen drawing wants a runtime folder of the user's; a test has none.
mkdir -m 700 "$d/run" && export XDG_RUNTIME_DIR="$d/run"
for t in BASA DNI KONST; do
  "$zelvo" --dir "$d" table load $t "$src/data/$(echo $t | tr A-Z a-z).jsonl" >/dev/null
done
"$zelvo" --dir "$d" table load NBASA "$src/data/nbasa.jsonl" --raw >/dev/null
month="dat=2004-03-01"
order="--set dat=2004-03-01 datN=2004-03-01 NPP=17 --today 2004-04-02"

case $case in
golden)
  name=$1
  shift
  "$zelvo" --dir "$d" report "$@" --text "$d/out.txt"
  diff -u "$src/golden/$name.txt" "$d/out.txt"
  echo "golden $name: same"
  ;;
pdf)
  command -v pdftotext >/dev/null || { echo "SKIPPED: pdftotext is missing"; exit 77; }
  "$zelvo" --dir "$d" report RaschPr --set $month --pdf "$d/slips.pdf"
  pdftotext -layout "$d/slips.pdf" "$d/slips.txt"
  for text in "Лицевой счет за" "Иванов Иван Иванович" "Петрова Мария Сергеевна" "Константинопольский Александр" \
    "Сидоров Пётр Алексеевич" "10000.00" "Итого вычеты" "К выдаче" "Долг"; do
    grep -q "$text" "$d/slips.txt" || { echo "the payslips' PDF lacks \"$text\""; exit 1; }
  done
  "$zelvo" --dir "$d" report pfPr $order --pdf "$d/order.pdf"
  pdftotext -layout "$d/order.pdf" "$d/order.txt"
  for text in "ПЛАТЕЖНОЕ ПОРУЧЕНИЕ №" "17" "2.04.2004" "0401060" "7983.21" "Пенсионный взнос за март 2004 года" \
    "Назначение платежа"; do
    grep -q "$text" "$d/order.txt" || { echo "the order's PDF lacks \"$text\""; exit 1; }
  done
  # The amount in words, as the listing has it at its place (x 52, y 40).
  words=$(awk -F'\t' '$2 == "52.0" && $3 == "40.0" { print $4 }' "$src/golden/pfPr.txt")
  [ -n "$words" ] && grep -q "$words" "$d/order.txt" ||
    { echo "the order's PDF lacks the amount in words \"$words\""; exit 1; }
  echo "pdf: the texts that matter are there"
  ;;
render)
  command -v pdftoppm >/dev/null || { echo "SKIPPED: pdftoppm is missing"; exit 77; }
  "$zelvo" --dir "$d" report RaschPr --set $month --pdf "$d/slips.pdf"
  pdftoppm -r 40 -png -f 1 -l 1 "$d/slips.pdf" "$d/page"
  [ -s "$d/page-1.png" ] || { echo "page 1 did not render"; exit 1; }
  echo "render: page 1 drawn"
  ;;
errors)
  status() { "$@" 2>"$d/err" >/dev/null && echo 0 || echo $?; }
  s=$(status "$zelvo" --dir "$d" report RaschPr --set dat=2005-01-01 --text "$d/none.txt")
  echo "no records: status=$s $(cat "$d/err")"
  [ ! -e "$d/none.txt" ] && echo "no records: no file"
  s=$(status "$zelvo" --dir "$d" report NoSuch --set $month --text "$d/x.txt"); echo "unknown: status=$s $(cat "$d/err")"
  s=$(status "$zelvo" --dir "$d" report pfPr --set $month --text "$d/x.txt"); echo "dialog: status=$s $(cat "$d/err")"
  s=$(status "$zelvo" --dir "$d" report RaschPr --set dat=2004-13-01 --text "$d/x.txt"); echo "value: status=$s $(cat "$d/err")"
  s=$(status "$zelvo" --dir "$d" report RaschPr --set nosuch=1 --text "$d/x.txt"); echo "name: status=$s $(cat "$d/err")"
  s=$(status "$zelvo" --dir "$d" report RaschPr --set $month --text "$d/x.txt" --pdf "$d/y.pdf"); echo "outputs: status=$s $(cat "$d/err")"
  [ ! -e "$d/x.txt" ] && [ ! -e "$d/y.pdf" ] && echo "bad input: no file"
  ;;
esac
