#!/usr/bin/env bash
# Download benchmark: the three downloaders side by side with curl, wget and aria2c, against an
# nginx of our own on 127.0.0.1 serving a 1 GiB package, once unlimited and once limited to
# 20 MB/s per connection; and the MD5 of the same file by Utils::FileMd5, md5sum and openssl.
# BENCH_SIZE_MIB and BENCH_RUNS shrink or repeat the measurement (defaults 1024 and 3).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
size_mib=${BENCH_SIZE_MIB:-1024}
runs=${BENCH_RUNS:-3}
work="$root/build/bench-download"
mkdir -p "$work"

driver="$root/build/bench/download/download_bench"
if [ ! -x "$driver" ]; then
  echo "missing $driver: run ./run build first" >&2
  exit 1
fi

serve="$work/www"
mkdir -p "$serve" "$work/nginx-tmp"
package="$work/package.bin"
if [ ! -f "$package" ] || [ "$(stat -c %s "$package")" != $((size_mib * 1048576)) ]; then
  head -c $((size_mib * 1048576)) /dev/urandom >"$package"
fi
md5=$(openssl md5 -r "$package" | cut -d' ' -f1)
rm -rf "${serve:?}"/*
mkdir -p "$serve/$md5"
ln -f "$package" "$serve/$md5/package.bin"

port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
pick_port() {
  local port
  for _ in $(seq 50); do
    port=$((20000 + RANDOM % 20000))
    if port_free "$port"; then echo "$port"; return; fi
  done
  echo "no free port" >&2; exit 1
}
fast_port=$(pick_port)
slow_port=$(pick_port)
while [ "$slow_port" = "$fast_port" ]; do slow_port=$(pick_port); done

cat >"$work/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $work/nginx-tmp;
  proxy_temp_path $work/nginx-tmp;
  fastcgi_temp_path $work/nginx-tmp;
  uwsgi_temp_path $work/nginx-tmp;
  scgi_temp_path $work/nginx-tmp;
  server {
    listen 127.0.0.1:$fast_port;
    root $serve;
    location = /software/226 { return 302 /$md5/package.bin; }
  }
  server {
    listen 127.0.0.1:$slow_port;
    root $serve;
    limit_rate 20m;
    location = /software/226 { return 302 /$md5/package.bin; }
  }
}
CONF
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
trap 'kill "$nginx_pid" 2>/dev/null; wait "$nginx_pid" 2>/dev/null; rm -f "$work/out.bin" "$work/out.bin".*' EXIT
for _ in $(seq 100); do port_free "$fast_port" || break; sleep 0.05; done

out="$work/out.bin"
cat "$package" >/dev/null  # the file is served from the page cache in every run

# measure NAME COMMAND... -> "seconds peak_kib" of the best of $runs runs (fewest seconds)
measure() {
  local best="" line
  for _ in $(seq "$1"); do
    rm -f "$out" "$out".* "$out"_0 "$out"_1
    sync
    line=$(/usr/bin/time -f "%e %M" -o "$work/time.txt" "${@:2}" >"$work/last.log" 2>&1 && cat "$work/time.txt") || {
      echo "failed: ${*:2}" >&2; cat "$work/last.log" >&2; echo "0 0"; return; }
    if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN{exit !(a<b)}'; then best=$line; fi
  done
  echo "$best"
}

bytes=$((size_mib * 1048576))
mbps() { awk -v b="$bytes" -v s="$1" 'BEGIN{ if (s>0) printf "%.0f", b/1e6/s; else print "-" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (a>0 && b>0) printf "%.2f", b/a; else print "-" }'; }

declare -A secs mem
run_all() { # label port runs
  local label=$1 port=$2 n=$3 r
  local link="http://127.0.0.1:$port/software/226" direct="http://127.0.0.1:$port/$md5/package.bin"
  r=$(measure "$n" curl -s -o "$out" "$direct"); secs[$label,curl]=${r% *}; mem[$label,curl]=${r#* }
  r=$(measure "$n" wget -q -O "$out" "$direct"); secs[$label,wget]=${r% *}; mem[$label,wget]=${r#* }
  r=$(measure "$n" aria2c -q -x2 -s2 --allow-overwrite=true --file-allocation=none -d "$work" -o out.bin "$direct")
  secs[$label,aria2]=${r% *}; mem[$label,aria2]=${r#* }
  r=$(measure "$n" "$driver" curl "$link" "$out"); secs[$label,CCurl]=${r% *}; mem[$label,CCurl]=${r#* }
  r=$(measure "$n" "$driver" mt "$link" "$out"); secs[$label,CMTCurl]=${r% *}; mem[$label,CMTCurl]=${r#* }
  r=$(measure "$n" "$driver" win "$link" "$out"); secs[$label,CWin]=${r% *}; mem[$label,CWin]=${r#* }
}

echo "package: ${size_mib} MiB, best of $runs runs unlimited, 1 run limited (nginx sendfile, 127.0.0.1)"
run_all fast "$fast_port" "$runs"
run_all slow "$slow_port" 1

printf '\n%-34s %9s %10s %9s %10s %9s\n' "downloader" "MB/s" "vs curl" "MB/s@20M" "vs 1 conn" "peak MiB"
for tool in curl wget aria2 CCurl CMTCurl CWin; do
  case $tool in
    CCurl) name="CCurlDownloader (MD5 checked)" ;;
    CMTCurl) name="CMTCurlDownloader (MD5 checked)" ;;
    CWin) name="CWinDownloader (no check)" ;;
    aria2) name="aria2c -x2 -s2" ;;
    curl) name="curl -o" ;;
    wget) name="wget -O" ;;
  esac
  single=${secs[slow,curl]}
  [[ $tool == C* ]] && single=${secs[slow,CCurl]}
  peak=$(awk -v k="${mem[fast,$tool]}" -v l="${mem[slow,$tool]}" 'BEGIN{m=(k>l)?k:l; printf "%.1f", m/1024}')
  printf '%-34s %9s %10s %9s %10s %9s\n' "$name" "$(mbps "${secs[fast,$tool]}")" \
    "$(ratio "${secs[fast,$tool]}" "${secs[fast,curl]}")" "$(mbps "${secs[slow,$tool]}")" \
    "$(ratio "${secs[slow,$tool]}" "$single")" "$peak"
done
echo "(vs 1 conn: against curl for the peers, against CCurlDownloader for ours)"

rm -f "$out" "$out".*
printf '\n%-34s %9s %10s %s\n' "MD5 of the package" "MB/s" "vs openssl" "digest"
declare -A md5secs md5text
for tool in FileMd5 md5sum openssl; do
  case $tool in
    FileMd5) cmd=("$driver" md5 "$package") ;;
    md5sum) cmd=(md5sum "$package") ;;
    openssl) cmd=(openssl md5 -r "$package") ;;
  esac
  r=$(measure "$runs" "${cmd[@]}")
  md5secs[$tool]=${r% *}
  md5text[$tool]=$(cut -c1-32 "$work/last.log")
done
for tool in FileMd5 md5sum openssl; do
  case $tool in FileMd5) name="Utils::FileMd5" ;; md5sum) name="md5sum" ;; openssl) name="openssl md5" ;; esac
  printf '%-34s %9s %10s %s\n' "$name" "$(mbps "${md5secs[$tool]}")" \
    "$(ratio "${md5secs[$tool]}" "${md5secs[openssl]}")" "${md5text[$tool]}"
done
