# Fetches a Debian source package with apt-get source, through an apt state
# and cache of our own: the system's apt configuration is only read.
#   source scripts/debian_source.sh
#   fetch_debian_source PACKAGE[=VERSION] APT_DIR DEST_DIR
# Leaves the unpacked source in DEST_DIR.

# deb-src entries for the system's own Debian archives.
write_source_entries() {
  local out=$1
  mkdir -p "$out"
  : > "$out/system-src.list"
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\+\(.*\)$/deb-src \1/p' "$file" >> "$out/system-src.list"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    # Stanzas are separated by blank lines; only those of type deb are taken.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         { text = "\n" $0 "\n" }
         text ~ /\nTypes:([^\n]*[ \t])?deb([ \t][^\n]*)?\n/ {
           sub(/\nTypes:[^\n]*/, "\nTypes: deb-src", text); print substr(text, 2) }' "$file" > "$out/$(basename "$file")"
  done
}

fetch_debian_source() {
  local package=$1 apt=$2 dest=$3
  mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial" "$dest"
  write_source_entries "$apt/sources"
  local options=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources"
                 -o Dir::State="$apt/state" -o Dir::Cache="$apt/cache" -o Dir::State::status=/var/lib/dpkg/status
                 -o APT::Sandbox::User=root)
  [ -n "$(ls -A "$apt/state/lists" 2>/dev/null | grep -v partial)" ] || apt-get "${options[@]}" -qq update
  (cd "$dest" && apt-get "${options[@]}" -qq source "$package" >/dev/null)
}
