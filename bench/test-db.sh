# Sourced by the benchmarks' run scripts, from the top of the source tree with $build set:
# starts the PostgreSQL test server for $build, stops it on exit only when this run
# started it (a server someone else runs on the port is left running), and exports its
# settings.
started=$(scripts/test-db start "$build")
echo "$started"
case "$started" in
  *"already running"*) ;;
  *) trap 'scripts/test-db stop "$build" || true' EXIT ;;
esac
set -a; . "$build/test-db.env"; set +a
