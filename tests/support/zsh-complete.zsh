# complete.zsh FOLDER LINE: the candidates zsh offers at the end of LINE, one a line.
zmodload zsh/zpty
offered=$(mktemp)
zpty shell zsh -f -i
# Keys are typed only once the editor shows its prompt; a tty in line mode
# would take any control character for its own. ^X is no tty's.
zpty -w shell "PS1='<<P''ROMPT>>'; fpath=(${(q)1} \$fpath); autoload -U compinit; compinit -u -D; bindkey -e; bindkey '^I' complete-word; bindkey '^X' kill-whole-line"
# Every candidate the completion adds is written down as well.
zpty -w shell "compadd() { local -a found; builtin compadd -A found \"\$@\"; print -rl -- \${found:#} >>${(q)offered}; builtin compadd \"\$@\"; }"
zpty -w shell "zstyle ':completion:*' menu no; print -r -- '<<R''EADY>>'"
zpty -r -m shell out '*<<READY>>*<<PROMPT>>*'
zpty -w -n shell "$2"$'\t\C-x'
zpty -w shell "print -r -- '<<E''ND>>'"
zpty -r -m shell out '*<<END>>*'
zpty -d shell
sed '/^$/d' $offered | LC_ALL=C sort -u
rm -f $offered
