#!/usr/bin/env bash
# Writes the expected printer bytes of the driver's tests. Every byte below is typed from the
# driver's tables (control codes, accent bytes, header layout); nothing comes from the driver.
# Run it again after editing a file's bytes here: scripts write exactly these .bin files.
set -euo pipefail
cd "$(dirname "$0")"

sp() { printf '%*s' "$1" ''; }
dashes() { printf -- '-%.0s' $(seq 1 "$1"); }

# Page header, width 48, 8 Dec 2026 09:05:07, Title1 "Ficha", Title2 "Treino A", Left2 "Esq",
# Right2 "Dir", Right3 "R3", ColHeader1 "Ex,0;Série,20", ColHeader2 "Fim,5;" (left open).
header() {
  printf '08/12/2026 09:05:07'; sp 3; printf 'Ficha'; sp 9; printf 'Pagina:'; sp 1; printf '%s\r\n' "$1"
  printf 'Esq'; sp 17; printf 'Treino A'; sp 17; printf 'Dir\r\n'
  sp 46; printf 'R3\r\n'
  printf ' \r\n'
  printf 'Ex'; sp 18; printf 'S\x82rie\r\n'
  sp 5; printf 'Fim'
  dashes 48; printf '\r\n'
}
{
  header 0003
  printf '  Linha 1\r\n  Linha 2\r\n\x0c'
  header 0004
  printf '  Linha 3\r\n  Linha 4\r\n\x0c'
  header 0005
} > header.bin

# "NegritoEPSON" on pfEpson9pinos: no line end (column 22 becomes 15), line end at 25, "Só" at 0.
{
  sp 15; printf 'Titulo'
  sp 4; printf 'Bold\r'; sp 4; printf 'Bold\r\n'
  printf 'S\xa2\rS\xa2\r\n'
} > negrito.bin

# "NegritoEPSON" with an empty RetornoCarro: the piece twice side by side.
printf 'XX\r\n' > negrito-sem-retorno.bin

# Effects before the fill, a column left of the current one, an empty text, raw codes,
# characters outside the accent table and outside Windows-1252, an eject.
{
  printf '\x1b\x45'; sp 5; printf 'Nome'
  printf 'Obs.:'; sp 3; printf 'texto\r\n'
  printf 'ABCDEFxy'; sp 2; printf 'z\r\n'
  sp 4; printf '\r\n'
  printf '\x1b\x57\x01 Big\r\n\x1b\x57\x00'
  printf '\xe8\x80??\r\n'
  printf '\x0c'
} > effects.bin

# The 39 rows of the accent table, in the table's order.
{
  printf '\xa0\x41\x84\x8e\x83\x41\x84\x8e\x85\xb7\x82\x45\x88\x45\x89\xd3\xa1\xd6\x8c\xd7'
  printf '\x8b\xd8\xa2\x4f\x94\xe5\x93\xe2\x94\x99\xa3\xe9\x96\xea\x81\x9a\x87\x80\xf8\r\n'
} > accents.bin

# Code tables: the fifteen entries in order, each followed by "|"; "K" is the RetornoCarro an
# earlier job left (the models that keep it).
codes() { printf "$1"; }
codes '\x0f|\x12|\x1e\x35|\x1e\x30|\x1e\x32|\x1e\x30|\x1b\x45|\x1b\x46|K|\x1b\x57\x01|\x1b\x57\x00|\x1b\x30|\x1b\x32|\x0c|\x1b\x43|' > codes-ibm.bin
codes '\x0f|\x12|\x1e\x35|\x1e\x30|\x1e\x32|\x1e\x30|\x1b\x67|\x1b\x68|K|\x1b\x57\x01|\x1b\x57\x00|\x1b\x30|\x1b\x32|\x0c|\x1b\x43|' > codes-emilia.bin
codes '\x1b(s16.67H|\x1b(s10H|\x1b(s16.67H|\x1b(s10H|\x1b(s12H|\x1b(s10H|\x1b(s3B|\x1b(s-3B|K|\x1b(s3B|\x1b(s-3B|\x1b(s1P|\x1b(s0P|\x0c|\x1b\x43|' > codes-deskjet.bin
codes '\x0f|\x12|\x1b\x5b\x05|\x1b\x5b\x00|\x1b\x5b\x02|\x1b\x5b\x01|\x1b\x45|\x1b\x46|K|\x1b\x57\x01|\x1b\x57\x00|\x1b\x30|\x1b\x32|\x0c|\x1b\x43|' > codes-rima.bin
codes '\x0f|\x12|\x1b\x4d\x0f|\x1b\x50|\x1b\x4d|\x1b\x50|\x1b\x45||\r|\x1b\x57\x01|\x1b\x57\x00|\x1b\x30|\x1b\x32|\x0c|\x1b\x43|' > codes-epson9.bin
codes '\x0f|\x12|\x1b\x4d\x0f|\x1b\x50|\x1b\x4d|\x1b\x50|\x1b\x45|\x1b\x46|K|\x1b\x57\x01|\x1b\x57\x00|\x1b\x30|\x1b\x32|\x0c|\x1b\x43|' > codes-epson-ink.bin
codes '\x1b\x50|\x1b\x50|\x1b\x4d\x0f|\x1b\x50|\x1b\x4d|\x1b\x50|\x1b\x45|\x1b\x46|K|\x1b\x57\x01|\x1b\x57\x00|\x1b\x30|\x1b\x32|\x0c|\x1b\x43|' > codes-imp40.bin
codes '\x1b\x50|\x1b\x50|\x1b\x4d\x0f|\x1b\x50|\x1b\x4d|\x1b\x50|\x1b\x45|\x1b\x46|K|\x1b\x57\x01|\x1b\x57\x00|\x1b\x30|\x1b\x32|\x1b\x32|\x1b\x32|' > codes-bema.bin

# A preview job: "Força", "NegritoEPSON" at 2, an eject, "fim".
printf 'For\x87a\r\n  Bold\r  Bold\r\n\x0cfim\r\n' > preview.bin
# Its reprint: the job's lines (the overstrike's lone CR stays inside its line), each ended by
# CR LF but the last.
printf 'For\x87a\r\n  Bold\r  Bold\r\n\x0cfim' > reprint.bin
