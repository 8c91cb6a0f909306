# Sourced by the scripts: the preset to build, from the first argument, else "ci" (warnings
# are errors) under continuous integration and "default" elsewhere.
preset=${1:-}
if [[ -z "$preset" ]]; then
    if [[ "${CI:-}" == "true" ]]; then preset=ci; else preset=default; fi
fi
