#!/bin/sh
# git diff shows a card as its report: the .gitattributes line and the textconv the
# docs give, in a scratch repository with the machine's git. A changed motion must
# show as a changed report line.
# usage: textconv.sh MORNSTAVE MAKE-EXAMPLES
set -eu
mornstave=$1 make_examples=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
git init -q repo
cd repo
git config user.email test@example.invalid
git config user.name test
git config diff.vnt.textconv "$mornstave --encoding=utf-8"
echo 'skill*.vnt diff=vnt' > .gitattributes
mkdir ../old ../next
"$make_examples" ../old
"$make_examples" --next ../next
cp ../old/skill1.vnt skill1.vnt
git add .gitattributes skill1.vnt
git commit -q -m first
cp ../next/skill1.vnt skill1.vnt
changes=$(git -c core.pager=cat diff --no-color --unified=0 -- skill1.vnt)
if printf '%s\n' "$changes" | grep -Fqx -- '-生命力ダメージ(炎): Lv比8' &&
   printf '%s\n' "$changes" | grep -Fqx -- '+生命力ダメージ(炎): Lv比10'; then
  echo "git diff shows the changed motion as a changed report line"
else
  printf 'git diff gave:\n%s\n' "$changes" >&2
  exit 1
fi
