# bash completion for quenmar-solve                        -*- shell-script -*-

# A new option of quenmar-solve goes into one of these two lists; one whose values can be
# listed also gets a branch in the case below.
_quenmar_solve_valued='--config --min --max --target --range --max-solutions --date --output
    --stages --sort --best --distinct --format --gears --setup --threads
    --module --pressure-angle --centre-distance --profile-shift --clearance --shaft --max-diameter
    --outlines --outline-format --kerf
    --planetary --sun --planet --ring --planets --held --input --spacing
    --lead-screw --targets --buy --candidates --max-copies --require --time-limit'
_quenmar_solve_switches='--list --hunting-tooth --coaxial --fits --one-module --cover --force --help --version'

# The configurations, index first, as --config takes them.
_quenmar_solve_configurations=(
    '0  Single Reduction Only'
    '1  Double Reduction Only'
    '2  Double Reduction with N1 = N3'
    '3  Double Reduction with N2 = N4'
    '4  Double with N1 = N3; N2 = N4'
    '5  Triple With Equal Compounds'
    '6  Triple Reduction'
)

_quenmar_solve()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --config)
            # Listed with their names; a single match is completed to its bare index.
            local entry
            local -a matches=()
            for entry in "${_quenmar_solve_configurations[@]}"; do
                [[ ${entry%% *} == "$cur"* ]] && matches+=("$entry")
            done
            if ((${#matches[@]} == 1)); then
                COMPREPLY=("${matches[0]%% *}")
            else
                COMPREPLY=("${matches[@]}")
            fi
            return
            ;;
        --date)
            COMPREPLY=($(compgen -W "$(date +%F)" -- "$cur"))
            return
            ;;
        --output)
            _filedir
            return
            ;;
        --setup)
            _filedir json
            return
            ;;
        --targets)
            _filedir
            return
            ;;
        --lead-screw)
            COMPREPLY=($(compgen -W '8tpi 6tpi 4tpi 2mm 3mm 6mm' -- "$cur"))
            return
            ;;
        --buy)
            COMPREPLY=($(compgen -W '1 2 3' -- "$cur"))
            return
            ;;
        --max-copies)
            COMPREPLY=($(compgen -W '1 2 3 4' -- "$cur"))
            return
            ;;
        --sort)
            COMPREPLY=($(compgen -W 'found text difference' -- "$cur"))
            return
            ;;
        --distinct)
            COMPREPLY=($(compgen -W 'meshes gears' -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W 'text csv json' -- "$cur"))
            return
            ;;
        --stages)
            COMPREPLY=($(compgen -W '1 2 3 4 5 6' -- "$cur"))
            return
            ;;
        --gears)
            # A list is typed; a file is named after '@'.
            if [[ $cur == @* ]]; then
                local file
                COMPREPLY=()
                while IFS= read -r file; do COMPREPLY+=("@$file"); done < <(compgen -f -- "${cur#@}")
            fi
            return
            ;;
        --centre-distance)
            COMPREPLY=($(compgen -W 'equal' -- "$cur"))
            return
            ;;
        --outlines)
            _filedir -d
            return
            ;;
        --outline-format)
            COMPREPLY=($(compgen -W 'svg dxf' -- "$cur"))
            return
            ;;
        --planetary)
            COMPREPLY=($(compgen -W 'simple stepped wolfrom' -- "$cur"))
            return
            ;;
        --held | --input)
            COMPREPLY=($(compgen -W 'sun ring carrier any' -- "$cur"))
            return
            ;;
        --spacing)
            COMPREPLY=($(compgen -W 'even any' -- "$cur"))
            return
            ;;
        --sun | --planet | --ring | --planets)
            return
            ;;
        --min | --max | --target | --range | --max-solutions | --best | --module | --pressure-angle | \
            --profile-shift | --clearance | --shaft | --max-diameter | --kerf | --candidates | --require | \
            --time-limit)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* || -z $cur ]]; then
        COMPREPLY=($(compgen -W "$_quenmar_solve_valued $_quenmar_solve_switches" -- "$cur"))
    fi
} &&
    complete -F _quenmar_solve quenmar-solve
