#!/usr/bin/env bash
# Dependencies point one way: host -> comlib -> {tamrelapi, platform}; boarddiag -> {wdc, platform};
# tamrelapi -> platform. This check fails when an #include points the other way, or when the
# session library reaches into the simulator.
set -u
root=${1:?project root}
cd "$root" || exit 2
fail=0
# folder : include prefixes it must never use
rules=(
  "platform:tamrelapi/ comlib/ host/ wdc/ boarddiag/ tools/"
  "tamrelapi:comlib/ host/ wdc/ boarddiag/ tools/"
  "comlib:host/ tamrelapi/sim/ wdc/ boarddiag/ tools/"
  "wdc:comlib/ tamrelapi/ host/ boarddiag/"
  "boarddiag:comlib/ tamrelapi/ host/"
)
for rule in "${rules[@]}"; do
  folder=${rule%%:*}
  [ -d "$folder" ] || continue
  for prefix in ${rule#*:}; do
    hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]${prefix}" "$folder" \
             --include='*.hpp' --include='*.cpp' --include='*.h' 2>/dev/null)
    if [ -n "$hits" ]; then
      echo "layering: $folder/ must not include $prefix"
      echo "$hits"
      fail=1
    fi
  done
done
[ $fail = 0 ] && echo "layering: dependencies point one way"
exit $fail
