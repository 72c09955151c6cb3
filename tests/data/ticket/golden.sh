#!/usr/bin/env bash
# Writes the expected matrix-printer tickets of the kiosk's tests, typed from the ticket's layout
# tables (columns, alignments, masks, cuts, blank lines) and the driver's rules: blanks fill up to
# a column only from the column reached so far, an effect goes in front of its text, every line
# ends in CR LF. Nothing here comes from the code under test. Run it again after editing.
set -euo pipefail
cd "$(dirname "$0")"

sp() { printf '%*s' "$1" ''; }
rule() { printf -- '-%.0s' $(seq 1 40); printf '\r\n'; }
nl() { printf '\r\n'; }

# Member 0000001234, "Conceição Aparecida Gonçalves Ribeiro": 27 characters of the plain name.
header() {
  nl
  rule
  printf '0000001234 - Conceicao Aparecida Goncalv\r\n'
  rule
}

# Esteira 20 min at 6.5 (prints 7), level 2.4 (prints 2), on Tuesdays and Thursdays.
aerobic() { # $1: the machine item with what ends it; $2: blanks from there up to column 16
  sp 12; printf 'ATIVIDADE AEROBICA\r\n'
  printf 'Dias: Ter Qui \r\n'
  nl
  printf 'Aparelho Duracao(min) Velocidade   Nivel\r\n'
  rule
  printf '%s' "$1"
  sp "$2"; printf '   20'; sp 6; printf '    7'; sp 3; printf '    2\r\n'
  nl
}

# The stretching memo: 91 characters with its CR LF, each a blank, cut at 40 and 80.
stretching() {
  sp 15; printf 'ALONGAMENTO\r\n'
  printf 'Alongar panturrilha.  Manter 20 segundos\r\n'
  printf ' em cada posicao, respirando devagar e s\r\n'
  printf 'em balanco.\r\n'
}

# Workout A by name, full form, ESPACO 0. Rows: Supino Reto 3 x 12, 20, adjustment 3, rest 60,
# with an observation; Extensão de Joelhos 4 x 10-12-15, 15, adjustment 2, rest 45.
{
  header
  aerobic $'Esteira\r\n' 16
  sp 16; printf 'MUSCULACAO\r\n'
  printf 'Treino: A Dias: Seg Qua Sex \r\n'
  nl
  printf 'Aparelho Serie Repeticoes Peso Reg Inter\r\n'
  rule
  printf 'Supino Reto\r\n'
  sp 7; printf '     3'; sp 2; printf '       12'; sp 1; printf '   20'; printf '   3'; printf '   60\r\n'
  printf 'Obs.:Atencao a postura\r\n'
  printf 'Extensao de Joelhos\r\n'
  sp 7; printf '     4'; sp 2; printf ' 10-12-15'; sp 1; printf '   15'; printf '   2'; printf '   45\r\n'
  nl
  stretching
  rule
} > full-by-name-a.bin

# Workout C by code, full form, no day flags, ESPACO 5: code 102, 2 x 15, 40, adjustment 5,
# rest 90 through "#####0"; no blank line after the rows, no stretching.
{
  header
  sp 16; printf 'MUSCULACAO\r\n'
  printf 'Aparelho Serie Repeticoes Peso Reg Inter\r\n'
  rule
  sp 3; printf '102'; sp 1; printf '     2'; sp 2; printf '       15'; sp 1; printf '   40'
  printf '   5'; printf '    90\r\n'
  rule
  nl; nl; nl; nl; nl
} > full-by-code-c.bin

# Workout A reduced and by code, ESPACO 0: the aerobic abbreviation stays on the figures' line;
# abbreviations filled to 15, repetitions cut to their last 8 characters.
{
  header
  aerobic 'Esteira' 9
  sp 16; printf 'MUSCULACAO\r\n'
  printf 'Treino: A Dias: Seg Qua Sex \r\n'
  nl
  printf 'Aparelho         Serie  Repet.  Peso Reg\r\n'
  rule
  printf 'Supino         '; printf '     3'; sp 1; printf '      12'; printf '   20'; printf '   3\r\n'
  printf 'Obs.:Atencao a postura\r\n'
  printf 'Extensao Joel  '; printf '     4'; sp 1; printf '10-12-15'; printf '   15'; printf '   2\r\n'
  nl
  stretching
  rule
} > reduced-a.bin

# Workout C reduced: repetitions cut to their first 10 characters at 19, no blank line after.
{
  header
  sp 16; printf 'MUSCULACAO\r\n'
  printf 'Aparelho         Serie  Repet.  Peso Reg\r\n'
  rule
  printf 'Leg Press      '; printf '     2'; printf '       15'; printf '   40'; printf '   5\r\n'
  rule
} > reduced-c.bin

# The text printing library's pages: each text at its column counted from the margin, one page
# line a line of the ticket, a form feed for the eject. Its blank line is " " at column 1.
lnl() { printf '  \n'; }
lrule() { printf ' '; printf -- '-%.0s' $(seq 1 47); printf '\n'; }
lheader() {
  lnl
  lrule
  printf ' 0000001234 - Conceicao Aparecida Goncalv\n'
  lrule
}

# Workout A reduced and by code, ESPACO 0: figures right-aligned to 5 (six characters),
# abbreviations filled to 14, repetitions cut to their last 8 characters at 22.
{
  lheader
  sp 12; printf 'ATIVIDADE AEROBICA\n'
  printf ' Dias: Ter Qui \n'
  lnl
  printf ' Aparelho Duracao(min) Velocidade   Nivel\n'
  lrule
  printf ' Esteira'; sp 8; printf '    20'; sp 5; printf '     7'; sp 2; printf '     2\n'
  lnl
  sp 16; printf 'MUSCULACAO\n'
  printf ' Treino: A Dias: Seg Qua Sex \n'
  lnl
  printf ' Aparelho         Serie  Repet.  Peso Reg\n'
  lrule
  printf ' Supino        '; sp 1; printf '     3'; printf '      12'; sp 2; printf '   20'; printf '   3\n'
  printf ' Obs.: Atencao a postura\n'
  printf ' Extensao Joel '; sp 1; printf '     4'; printf '10-12-15'; sp 2; printf '   15'; printf '   2\n'
  lnl
  sp 16; printf 'ALONGAMENTO\n'
  printf ' Alongar panturrilha.  Manter 20 segundos\n'
  printf '  em cada posicao, respirando devagar e s\n'
  printf ' em balanco.\n'
  lrule
  printf '\f'
} > library-reduced-a.txt

# Workout C by code in full, ESPACO 2: code at 4, rest right-aligned to 5 at 35, a blank line
# after the rows.
{
  lheader
  sp 16; printf 'MUSCULACAO\n'
  printf ' Aparelho Serie Repeticoes Peso Reg Inter\n'
  lrule
  sp 4; printf '102'; sp 1; printf '     2'; sp 2; printf '       15'; sp 1; printf '   40'
  printf '   5'; printf '    90\n'
  lnl
  lrule
  lnl; lnl
  printf '\f'
} > library-full-by-code-c.txt
